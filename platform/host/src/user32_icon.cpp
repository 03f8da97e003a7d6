// user32: icons and cursors. The system's icons and cursors, and the icons of
// a module's RT_GROUP_ICON resources, are shared: the same name gives the
// same handle on every call, and DestroyIcon leaves them alone.
#include "hostwin/windows.h"

#include "object_table.h"
#include "resources.h"

#include <map>
#include <mutex>

using namespace hostwin;

namespace {

struct Icon {
    bool shared = false;
    bool cursor = false;
    int width = 32;
    int height = 32;
};

ObjectTable<HICON, Icon>& Icons() {
    static auto* table = new ObjectTable<HICON, Icon>();
    return *table;
}

// The shared handles already given out.
struct SharedIcons {
    std::mutex mutex;
    std::map<std::pair<uintptr_t, uintptr_t>, HICON> system;        // (cursor?, id) -> handle
    std::map<std::pair<const ResourceRecord*, bool>, HICON> loaded; // (resource, cursor?) -> handle
};

SharedIcons& Shared() {
    static SharedIcons* shared = new SharedIcons();
    return *shared;
}

HICON NewIcon(const Icon& icon) {
    return Icons().Add(std::make_shared<Icon>(icon));
}

// The icon of a handle, or null with ERROR_INVALID_ICON_HANDLE.
std::shared_ptr<Icon> RequireIcon(HICON handle) {
    std::shared_ptr<Icon> icon = Icons().Find(handle);
    if (!icon) SetLastError(ERROR_INVALID_ICON_HANDLE);
    return icon;
}

bool IsSystemId(uintptr_t id, bool cursor) {
    if (cursor) return (id >= 32512 && id <= 32516) || (id >= 32640 && id <= 32651);
    return id >= 32512 && id <= 32518;
}

HICON LoadShared(HINSTANCE instance, LPCSTR name, bool cursor) {
    SharedIcons& table = Shared();
    if (!instance) {
        uintptr_t id = reinterpret_cast<uintptr_t>(name);
        if (!IS_INTRESOURCE(name) || !IsSystemId(id, cursor)) {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
            return nullptr;
        }
        std::lock_guard<std::mutex> lock(table.mutex);
        HICON& handle = table.system[{cursor ? 1u : 0u, id}];
        if (!handle) handle = NewIcon(Icon{true, cursor, 32, 32});
        return handle;
    }
    const ResourceModule* resources = ResourcesOf(instance);
    if (!resources) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    ResourceKey type = ResourceKey::From(cursor ? RT_GROUP_CURSOR : RT_GROUP_ICON);
    const ResourceRecord* group = resources->Find(type, ResourceKey::From(name));
    if (!group) {
        SetLastError(resources->MissingError(type));
        return nullptr;
    }
    std::lock_guard<std::mutex> lock(table.mutex);
    HICON& handle = table.loaded[{group, cursor}];
    if (!handle) {
        // The group directory lists the images; the first entry gives the size
        // (a byte of 0 means 256 pixels).
        Icon icon{true, cursor, 32, 32};
        if (group->size >= 6 + 14) {
            icon.width = group->data[6] ? group->data[6] : 256;
            icon.height = group->data[7] ? group->data[7] : 256;
        }
        handle = NewIcon(icon);
    }
    return handle;
}

} // namespace

namespace hostwin {

HICON SystemIcon(LPCSTR name) {
    return LoadShared(nullptr, name, false);
}

} // namespace hostwin

extern "C" {

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
    return LoadShared(instance, name, false);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    return LoadShared(instance, name, true);
}

BOOL WINAPI DestroyIcon(HICON icon) {
    std::shared_ptr<Icon> found = RequireIcon(icon);
    if (!found) return FALSE;
    // Shared icons outlive every DestroyIcon.
    if (!found->shared) Icons().Remove(icon);
    return TRUE;
}

HICON WINAPI CopyIcon(HICON icon) {
    std::shared_ptr<Icon> found = RequireIcon(icon);
    if (!found) return nullptr;
    Icon copy = *found;
    copy.shared = false;
    return NewIcon(copy);
}

BOOL WINAPI DrawIcon(HDC dc, int, int, HICON icon) {
    return dc && RequireIcon(icon) ? TRUE : FALSE;
}

} // extern "C"
