// user32: menus, as far as the window menu (system menu) of a window goes.
// Each window gets its own copy of the standard window menu on first use.
#include "hostwin/windows.h"

#include "object_table.h"
#include "window_manager.h"

#include <algorithm>

using namespace hostwin;

namespace {

struct MenuItem {
    UINT id = 0; // 0 for a separator
    UINT flags = 0;
    std::string text;
};

using MenuItems = std::vector<MenuItem>;

ObjectTable<HMENU, MenuItems>& Menus() {
    static auto* table = new ObjectTable<HMENU, MenuItems>();
    return *table;
}

std::vector<MenuItem> StandardWindowMenu() {
    return {{SC_RESTORE, MF_STRING, "&Restore"},    {SC_MOVE, MF_STRING, "&Move"},
            {SC_SIZE, MF_STRING, "&Size"},          {SC_MINIMIZE, MF_STRING, "Mi&nimize"},
            {SC_MAXIMIZE, MF_STRING, "Ma&ximize"},  {0, MF_SEPARATOR, ""},
            {SC_CLOSE, MF_STRING, "&Close\tAlt+F4"}};
}

// The items of a menu, or null with ERROR_INVALID_MENU_HANDLE when the
// handle names no menu.
std::shared_ptr<MenuItems> ItemsOf(HMENU menu) {
    std::shared_ptr<MenuItems> items = Menus().Find(menu);
    if (!items) SetLastError(ERROR_INVALID_MENU_HANDLE);
    return items;
}

} // namespace

namespace hostwin {

void DestroySystemMenuOf(Window& window) {
    if (window.systemMenu) DestroyMenu(window.systemMenu);
    window.systemMenu = nullptr;
}

} // namespace hostwin

extern "C" {

HMENU WINAPI GetSystemMenu(HWND window, BOOL revert) {
    WindowPtr target = RequireWindow(window);
    if (!target) return nullptr;
    if (revert) {
        // Back to the standard menu: the copy goes, and the next call makes a fresh one.
        DestroySystemMenuOf(*target);
        return nullptr;
    }
    if (!target->systemMenu && (target->style & WS_SYSMENU))
        target->systemMenu = Menus().Add(std::make_shared<MenuItems>(StandardWindowMenu()));
    return target->systemMenu;
}

BOOL WINAPI DeleteMenu(HMENU menu, UINT item, UINT flags) {
    std::shared_ptr<MenuItems> items = ItemsOf(menu);
    if (!items) return FALSE;
    auto found = items->end();
    if (flags & MF_BYPOSITION) {
        if (item < items->size()) found = items->begin() + item;
    } else {
        found = std::find_if(items->begin(), items->end(), [&](const MenuItem& m) {
            return m.id == item && !(m.flags & MF_SEPARATOR);
        });
    }
    if (found == items->end()) {
        SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
        return FALSE;
    }
    items->erase(found);
    return TRUE;
}

int WINAPI GetMenuItemCount(HMENU menu) {
    std::shared_ptr<MenuItems> items = ItemsOf(menu);
    return items ? static_cast<int>(items->size()) : -1;
}

UINT WINAPI GetMenuItemID(HMENU menu, int position) {
    std::shared_ptr<MenuItems> items = ItemsOf(menu);
    if (!items || position < 0 || static_cast<size_t>(position) >= items->size())
        return static_cast<UINT>(-1);
    return (*items)[static_cast<size_t>(position)].id;
}

BOOL WINAPI DestroyMenu(HMENU menu) {
    if (Menus().Remove(menu)) return TRUE;
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
}

} // extern "C"
