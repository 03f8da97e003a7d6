// Resource modules: the resources of the program itself (embedded by the
// build) and of resource-only modules loaded by LoadLibraryExA. An HRSRC is
// the address of a ResourceRecord, valid while its module is loaded.
#pragma once

#include "hostwin/windows.h"

#include <memory>
#include <string>
#include <vector>

namespace hostwin {

// A resource type or name: a 16-bit identifier or a name (stored upper-cased,
// as Windows compares names without regard to case).
struct ResourceKey {
    WORD id = 0;
    std::string name; // empty for identifiers

    // From a type or name argument: MAKEINTRESOURCE, "#123" or a name.
    static ResourceKey From(LPCSTR value);
    bool operator==(const ResourceKey& other) const { return id == other.id && name == other.name; }
};

struct ResourceRecord {
    ResourceKey type;
    ResourceKey name;
    WORD language = 0;
    const BYTE* data = nullptr;
    DWORD size = 0;
};

class ResourceModule {
public:
    virtual ~ResourceModule() = default;
    // The first resource of that type and name, whatever its language.
    const ResourceRecord* Find(const ResourceKey& type, const ResourceKey& name) const;
    // The error Windows gives when a resource of the type is not found, as it
    // tells the cases apart: no resources at all, none of the type, not that name.
    DWORD MissingError(const ResourceKey& type) const;
    std::vector<ResourceRecord>& Records() { return records_; }
    const std::vector<ResourceRecord>& Records() const { return records_; }

private:
    std::vector<ResourceRecord> records_;
};

// The resources of a module handle: the program (null or its instance) or a
// registered data module; null for any other handle.
const ResourceModule* ResourcesOf(HMODULE module);

// Registers a loaded resource-only module under its handle, and removes it.
void RegisterResourceModule(HMODULE module, std::unique_ptr<ResourceModule> resources);
bool UnregisterResourceModule(HMODULE module);

} // namespace hostwin
