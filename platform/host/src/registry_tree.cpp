#include "registry_tree.h"

#include "codepage.h"

#include <algorithm>
#include <atomic>
#include <ctime>

namespace hostwin::registry {

const char* RootName(Root root) {
    return root == Root::LocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

std::optional<Root> RootFromName(std::string_view name) {
    auto same = [&](std::string_view wanted) { return EqualIgnoringAsciiCase(name, wanted); };
    if (same("HKEY_LOCAL_MACHINE") || same("HKLM")) return Root::LocalMachine;
    if (same("HKEY_CURRENT_USER") || same("HKCU")) return Root::CurrentUser;
    return std::nullopt;
}

std::optional<Root> RootFromHandle(HKEY key) {
    if (key == HKEY_LOCAL_MACHINE) return Root::LocalMachine;
    if (key == HKEY_CURRENT_USER) return Root::CurrentUser;
    return std::nullopt;
}

HKEY RootHandle(Root root) {
    return root == Root::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

LSTATUS SplitKeyPath(std::string_view utf8Path, std::vector<std::string>& components) {
    components.clear();
    if (!utf8Path.empty() && utf8Path[0] == '\\') return ERROR_BAD_PATHNAME;
    size_t start = 0;
    while (start <= utf8Path.size()) {
        size_t end = utf8Path.find('\\', start);
        if (end == std::string_view::npos) end = utf8Path.size();
        std::string_view part = utf8Path.substr(start, end - start);
        if (!part.empty()) {
            if (Utf32ToUtf16(Utf8ToUtf32(part)).size() > kMaxKeyNameLength)
                return ERROR_INVALID_PARAMETER;
            components.emplace_back(part);
        }
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::u32string FoldName(std::string_view utf8) {
    std::u32string folded = Utf8ToUtf32(utf8);
    for (char32_t& c : folded)
        c = UnicodeToLower(c);
    return folded;
}

uint64_t NewKeyId() {
    static std::atomic<uint64_t> next{100};
    return next++;
}

Key* Key::FindSubkey(std::string_view name) const {
    auto it = subkeys.find(FoldName(name));
    return it == subkeys.end() ? nullptr : it->second.get();
}

Key& Key::ObtainSubkey(std::string_view name, bool* created) {
    auto [it, inserted] = subkeys.try_emplace(FoldName(name));
    if (inserted) {
        it->second = std::make_unique<Key>();
        it->second->name = std::string(name);
        it->second->id = NewKeyId();
        it->second->lastWrite = NowAsFileTime();
    }
    if (created) *created = inserted;
    return *it->second;
}

bool Key::RemoveSubkey(std::string_view name) {
    return subkeys.erase(FoldName(name)) > 0;
}

std::vector<Value>::iterator Key::ValueSlot(std::string_view name) {
    std::u32string folded = FoldName(name);
    return std::lower_bound(values.begin(), values.end(), folded,
                            [](const Value& value, const std::u32string& wanted) {
                                return FoldName(value.name) < wanted;
                            });
}

Value* Key::FindValue(std::string_view name) {
    auto slot = ValueSlot(name);
    return slot != values.end() && FoldName(slot->name) == FoldName(name) ? &*slot : nullptr;
}

const Value* Key::FindValue(std::string_view name) const {
    return const_cast<Key*>(this)->FindValue(name);
}

void Key::SetValue(std::string_view name, DWORD type, std::string data) {
    if (Value* existing = FindValue(name)) {
        existing->type = type;
        existing->data = std::move(data);
        return;
    }
    values.insert(ValueSlot(name), Value{std::string(name), type, std::move(data)});
}

bool Key::RemoveValue(std::string_view name) {
    Value* existing = FindValue(name);
    if (!existing) return false;
    values.erase(values.begin() + (existing - values.data()));
    return true;
}

Key* Key::Descend(const std::vector<std::string>& path) {
    return const_cast<Key*>(static_cast<const Key*>(this)->Descend(path));
}

const Key* Key::Descend(const std::vector<std::string>& path) const {
    const Key* key = this;
    for (const std::string& component : path) {
        key = key->FindSubkey(component);
        if (!key) return nullptr;
    }
    return key;
}

Tree::Tree() {
    // The hives keep fixed identities: they cannot be deleted.
    RootKey(Root::LocalMachine).name = RootName(Root::LocalMachine);
    RootKey(Root::LocalMachine).id = 1;
    RootKey(Root::CurrentUser).name = RootName(Root::CurrentUser);
    RootKey(Root::CurrentUser).id = 2;
}

void InheritKeyIds(Key& fresh, const Key& previous) {
    fresh.id = previous.id;
    for (auto& [folded, child] : fresh.subkeys) {
        // Keys created since the last read keep the new identity they were read with.
        auto match = previous.subkeys.find(folded);
        if (match != previous.subkeys.end()) InheritKeyIds(*child, *match->second);
    }
}

void StampTree(Key& key, const FILETIME& time) {
    key.lastWrite = time;
    for (auto& entry : key.subkeys)
        StampTree(*entry.second, time);
}

FILETIME NowAsFileTime() {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    // 100-nanosecond intervals since 1601-01-01.
    uint64_t ticks = (static_cast<uint64_t>(now.tv_sec) + 11644473600ull) * 10000000ull +
                     static_cast<uint64_t>(now.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

} // namespace hostwin::registry
