#include "system/registry.h"

#include "runtime/exceptions.h"
#include "runtime/resstrings.h"
#include "runtime/typeinfo.h"

constinit const TClass TRegistry::ClassInfo =
    MakeClass<TRegistry>("TRegistry", &TObject::ClassInfo);

TValueKind ValueKindOf(DWORD type) {
    switch (type) {
    case REG_SZ:
        return dkText;
    case REG_EXPAND_SZ:
        return dkExpandText;
    case REG_BINARY:
        return dkBinary;
    case REG_DWORD:
        return dkNumber;
    default:
        return dkUnknown;
    }
}

TRegistry::TRegistry() {
    SelectHive(HKEY_CURRENT_USER);
    FAccessMask = KEY_ALL_ACCESS;
    FDeferWrites = true;
}

TRegistry::~TRegistry() {
    CloseCurrent();
}

void TRegistry::Destroy() {
    CloseCurrent();
    TObject::Destroy();
}

void TRegistry::SelectHive(HKEY root) {
    if (root == FHive) return; // an open key stays open
    if (FOwnsHive) {
        RegCloseKey(FHive);
        FOwnsHive = false;
    }
    FHive = root;
    CloseCurrent();
}

void TRegistry::CloseCurrent() {
    if (!FOpenKey) return;
    if (!FDeferWrites) RegFlushKey(FOpenKey);
    RegCloseKey(FOpenKey);
    FOpenKey = nullptr;
    FOpenPath.clear();
}

HKEY TRegistry::BaseForOpen(bool relative) const {
    return relative && FOpenKey ? FOpenKey : FHive;
}

void TRegistry::AdoptKey(HKEY key, const std::string& path) {
    CloseCurrent();
    FOpenKey = key;
    FOpenPath = path;
}

bool TRegistry::OpenForReading(const std::string& path) {
    std::string subPath = path;
    bool relative = subPath.empty() || subPath[0] != '\\';
    // Only the one leading backslash goes: further ones, and a trailing one, stay.
    if (!relative) subPath.erase(0, 1);
    HKEY key = nullptr;
    if (RegOpenKeyExA(BaseForOpen(relative), subPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    FAccessMask = KEY_READ;
    if (relative && FOpenKey) subPath = FOpenPath + "\\" + subPath;
    AdoptKey(key, subPath);
    return true;
}

bool TRegistry::QueryValueInfo(const std::string& name, TValueInfo& info) {
    info.Kind = dkUnknown;
    info.ByteSize = 0;
    DWORD type = REG_NONE;
    DWORD size = 0;
    LSTATUS status = RegQueryValueExA(FOpenKey, name.c_str(), nullptr, &type, nullptr, &size);
    info.Kind = ValueKindOf(type);
    info.ByteSize = static_cast<int32_t>(size);
    return status == ERROR_SUCCESS;
}

int32_t TRegistry::QueryValueSize(const std::string& name) {
    TValueInfo info;
    return QueryValueInfo(name, info) ? info.ByteSize : -1;
}

std::string TRegistry::ReadText(const std::string& name) {
    int32_t size = QueryValueSize(name);
    if (size <= 0) return std::string();
    // One allocation at the reported size; the data goes straight into it.
    std::string result(static_cast<size_t>(size), '\0');
    TValueKind kind = dkUnknown;
    FetchValueData(name, result.data(), size, kind);
    if (kind != dkText && kind != dkExpandText) RaiseWrongValueKind(name);
    size_t terminator = result.find('\0');
    if (terminator != std::string::npos) result.resize(terminator);
    return result;
}

int32_t TRegistry::FetchValueData(const std::string& name, void* buffer, int32_t size,
                                  TValueKind& kind) {
    DWORD type = REG_NONE;
    DWORD written = static_cast<DWORD>(size);
    if (RegQueryValueExA(FOpenKey, name.c_str(), nullptr, &type, static_cast<BYTE*>(buffer),
                         &written) != ERROR_SUCCESS)
        throw ERegistryException(FormatResString(SRegGetDataFailed, {name}));
    kind = ValueKindOf(type);
    return static_cast<int32_t>(written);
}

void TRegistry::RaiseWrongValueKind(const std::string& name) {
    throw ERegistryException(FormatResString(SInvalidRegType, {name}));
}
