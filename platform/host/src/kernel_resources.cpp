// kernel32: finding and loading resources of the program or of a loaded
// resource-only module.
#include "hostwin/windows.h"

#include "ascii.h"
#include "hostwin/embedded_resources.h"
#include "modules.h"
#include "resources.h"

#include <cstdlib>
#include <map>
#include <mutex>

namespace hostwin {
namespace {

std::mutex& RegistryMutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<HMODULE, std::unique_ptr<ResourceModule>>& Registered() {
    static std::map<HMODULE, std::unique_ptr<ResourceModule>> modules;
    return modules;
}

const ResourceModule& ProgramResources() {
    static const ResourceModule* program = [] {
        auto* module = new ResourceModule();
        size_t count = &hostwin_embedded_resource_count ? hostwin_embedded_resource_count : 0;
        for (size_t i = 0; i < count; ++i) {
            const HostEmbeddedResource& entry = hostwin_embedded_resources[i];
            module->Records().push_back(ResourceRecord{ResourceKey::From(entry.type),
                                                       ResourceKey::From(entry.name), 0, entry.data,
                                                       entry.size});
        }
        return module;
    }();
    return *program;
}

} // namespace

ResourceKey ResourceKey::From(LPCSTR value) {
    ResourceKey key;
    if (IS_INTRESOURCE(value)) {
        key.id = static_cast<WORD>(reinterpret_cast<uintptr_t>(value));
        return key;
    }
    if (value[0] == '#') {
        key.id = static_cast<WORD>(std::strtoul(value + 1, nullptr, 10));
        return key;
    }
    key.name = AsciiUppered(value);
    return key;
}

const ResourceRecord* ResourceModule::Find(const ResourceKey& type, const ResourceKey& name) const {
    for (const ResourceRecord& record : records_)
        if (record.type == type && record.name == name) return &record;
    return nullptr;
}

DWORD ResourceModule::MissingError(const ResourceKey& type) const {
    if (records_.empty()) return ERROR_RESOURCE_DATA_NOT_FOUND;
    for (const ResourceRecord& record : records_)
        if (record.type == type) return ERROR_RESOURCE_NAME_NOT_FOUND;
    return ERROR_RESOURCE_TYPE_NOT_FOUND;
}

const ResourceModule* ResourcesOf(HMODULE module) {
    if (!module || module == ProgramModule()) return &ProgramResources();
    std::lock_guard<std::mutex> lock(RegistryMutex());
    auto it = Registered().find(module);
    return it == Registered().end() ? nullptr : it->second.get();
}

void RegisterResourceModule(HMODULE module, std::unique_ptr<ResourceModule> resources) {
    std::lock_guard<std::mutex> lock(RegistryMutex());
    Registered()[module] = std::move(resources);
}

bool UnregisterResourceModule(HMODULE module) {
    std::lock_guard<std::mutex> lock(RegistryMutex());
    return Registered().erase(module) > 0;
}

} // namespace hostwin

using namespace hostwin;

extern "C" {

HRSRC WINAPI FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    const ResourceModule* resources = ResourcesOf(module);
    if (!resources) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!name || !type) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    ResourceKey typeKey = ResourceKey::From(type);
    const ResourceRecord* record = resources->Find(typeKey, ResourceKey::From(name));
    if (!record) {
        SetLastError(resources->MissingError(typeKey));
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(const_cast<ResourceRecord*>(record));
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC resource) {
    if (!resource) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // On Win32 the loaded handle is the address of the data.
    return const_cast<BYTE*>(reinterpret_cast<const ResourceRecord*>(resource)->data);
}

LPVOID WINAPI LockResource(HGLOBAL loaded) {
    return loaded;
}

DWORD WINAPI SizeofResource(HMODULE, HRSRC resource) {
    if (!resource) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return reinterpret_cast<const ResourceRecord*>(resource)->size;
}

BOOL WINAPI FreeResource(HGLOBAL) {
    return FALSE;
} // nothing to free on Win32

} // extern "C"
