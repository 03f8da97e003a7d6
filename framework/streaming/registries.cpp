#include "framework/streaming/registries.h"

#include "framework/classes/persistent.h"
#include "runtime/exceptions.h"
#include "runtime/locks.h"
#include "runtime/resstrings.h"

#include <mutex>
#include <vector>

TGlobalComponentLookup GlobalComponentLookup = nullptr;

namespace {

struct TClassAlias {
    std::string Name;
    const TClass* Class;
};

struct TClassRegistry {
    TRecursiveLock lock;
    std::vector<const TClass*> classes;
    std::vector<TClassAlias> aliases;
};

TClassRegistry& ClassRegistry() {
    static TClassRegistry registry;
    return registry;
}

struct TIdentMapRecord {
    const TTypeInfo* Type;
    TIdentToInt ToInt;
    TIntToIdent ToIdent;
};

struct TIdentMapRegistry {
    TLock lock;
    std::vector<TIdentMapRecord> entries;
};

TIdentMapRegistry& IdentMapRegistry() {
    static TIdentMapRegistry registry;
    return registry;
}

const TIdentMapRecord* FindRecord(TIdentMapRegistry& registry, const TTypeInfo* type) {
    for (const TIdentMapRecord& record : registry.entries)
        if (record.Type == type) return &record;
    return nullptr;
}

} // namespace

void RegisterComponentClass(const TClass* cls) {
    TClassRegistry& registry = ClassRegistry();
    std::lock_guard guard(registry.lock);
    auto registered = [&](const TClass* c) {
        for (const TClass* known : registry.classes)
            if (known == c) return true;
        return false;
    };
    while (cls && !registered(cls)) {
        const TClass* other = LookupRegisteredClass(cls->Name);
        if (other && other != cls)
            throw EFilerError(FormatResString(SAppClassNameInUse, {cls->Name}));
        registry.classes.push_back(cls);
        if (cls == &TPersistent::ClassInfo) break;
        cls = cls->Parent;
    }
}

void RegisterClassAlias(const TClass* cls, std::string_view alias) {
    TClassRegistry& registry = ClassRegistry();
    std::lock_guard guard(registry.lock);
    registry.aliases.push_back({std::string(alias), cls});
}

const TClass* LookupRegisteredClass(std::string_view name) {
    TClassRegistry& registry = ClassRegistry();
    std::lock_guard guard(registry.lock);
    for (const TClass* cls : registry.classes)
        if (SameName(cls->Name, name)) return cls;
    for (const TClassAlias& alias : registry.aliases)
        if (SameName(alias.Name, name)) return alias.Class;
    return nullptr;
}

const TClass* RequireRegisteredClass(std::string_view name) {
    const TClass* cls = LookupRegisteredClass(name);
    if (!cls) throw EClassNotFound(FormatResString(SClassNotFound, {name}));
    return cls;
}

void ClearClassRegistry() {
    TClassRegistry& registry = ClassRegistry();
    std::lock_guard guard(registry.lock);
    registry.classes.clear();
    registry.aliases.clear();
}

void RegisterIdentMap(const TTypeInfo* type, TIdentToInt toInt, TIntToIdent toIdent) {
    TIdentMapRegistry& registry = IdentMapRegistry();
    std::lock_guard guard(registry.lock);
    registry.entries.push_back({type, toInt, toIdent});
}

TIdentToInt FindIdentMap(const TTypeInfo* type) {
    TIdentMapRegistry& registry = IdentMapRegistry();
    std::lock_guard guard(registry.lock);
    const TIdentMapRecord* record = FindRecord(registry, type);
    return record ? record->ToInt : nullptr;
}

TIntToIdent FindIntToIdent(const TTypeInfo* type) {
    TIdentMapRegistry& registry = IdentMapRegistry();
    std::lock_guard guard(registry.lock);
    const TIdentMapRecord* record = FindRecord(registry, type);
    return record ? record->ToIdent : nullptr;
}

void UnregisterIdentMaps(const TTypeInfo* type) {
    TIdentMapRegistry& registry = IdentMapRegistry();
    std::lock_guard guard(registry.lock);
    std::erase_if(registry.entries, [&](const TIdentMapRecord& r) { return r.Type == type; });
}

bool IdentToIntFrom(std::span<const TIdentMapEntry> table, std::string_view ident, int32_t& value) {
    for (const TIdentMapEntry& entry : table)
        if (SameName(entry.Name, ident)) {
            value = entry.Value;
            return true;
        }
    return false;
}

bool IntToIdentFrom(std::span<const TIdentMapEntry> table, int32_t value, std::string& ident) {
    for (const TIdentMapEntry& entry : table)
        if (entry.Value == value) {
            ident = entry.Name;
            return true;
        }
    return false;
}
