// user32: menus, as far as the window menu (system menu) of a window goes.
// Each window gets its own copy of the standard window menu on first use.
#include "hostwin/windows.h"

#include "window_manager.h"

#include <map>
#include <mutex>

using namespace hostwin;

namespace {

struct MenuItem {
    UINT id = 0;  // 0 for a separator
    UINT flags = 0;
    std::string text;
};

struct MenuTable {
    std::mutex mutex;
    std::map<HMENU, std::vector<MenuItem>> menus;
};

MenuTable& Menus() {
    static MenuTable* table = new MenuTable();
    return *table;
}

std::vector<MenuItem> StandardWindowMenu() {
    return {{SC_RESTORE, MF_STRING, "&Restore"},    {SC_MOVE, MF_STRING, "&Move"},
            {SC_SIZE, MF_STRING, "&Size"},          {SC_MINIMIZE, MF_STRING, "Mi&nimize"},
            {SC_MAXIMIZE, MF_STRING, "Ma&ximize"},  {0, MF_SEPARATOR, ""},
            {SC_CLOSE, MF_STRING, "&Close\tAlt+F4"}};
}

// Runs `use` on the items of a menu; false with ERROR_INVALID_MENU_HANDLE
// when the handle names no menu.
template <class Use> bool WithMenu(HMENU menu, Use use) {
    MenuTable& table = Menus();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.menus.find(menu);
    if (it == table.menus.end()) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return false;
    }
    use(it->second);
    return true;
}

}  // namespace

namespace hostwin {

void DestroySystemMenuOf(Window& window) {
    if (window.systemMenu) DestroyMenu(window.systemMenu);
    window.systemMenu = nullptr;
}

}  // namespace hostwin

extern "C" {

HMENU WINAPI GetSystemMenu(HWND window, BOOL revert) {
    WindowPtr target = RequireWindow(window);
    if (!target) return nullptr;
    if (revert) {
        // Back to the standard menu: the copy goes, and the next call makes a fresh one.
        DestroySystemMenuOf(*target);
        return nullptr;
    }
    if (!target->systemMenu && (target->style & WS_SYSMENU)) {
        HMENU menu = reinterpret_cast<HMENU>(NewObjectHandle());
        MenuTable& table = Menus();
        std::lock_guard<std::mutex> lock(table.mutex);
        table.menus[menu] = StandardWindowMenu();
        target->systemMenu = menu;
    }
    return target->systemMenu;
}

BOOL WINAPI DeleteMenu(HMENU menu, UINT item, UINT flags) {
    bool found = false;
    if (!WithMenu(menu, [&](std::vector<MenuItem>& items) {
            if (flags & MF_BYPOSITION) {
                if (item < items.size()) {
                    items.erase(items.begin() + item);
                    found = true;
                }
                return;
            }
            for (auto it = items.begin(); it != items.end(); ++it)
                if (it->id == item && !(it->flags & MF_SEPARATOR)) {
                    items.erase(it);
                    found = true;
                    return;
                }
        }))
        return FALSE;
    if (!found) SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return found ? TRUE : FALSE;
}

int WINAPI GetMenuItemCount(HMENU menu) {
    int count = -1;
    WithMenu(menu, [&](std::vector<MenuItem>& items) { count = static_cast<int>(items.size()); });
    return count;
}

UINT WINAPI GetMenuItemID(HMENU menu, int position) {
    UINT id = static_cast<UINT>(-1);
    WithMenu(menu, [&](std::vector<MenuItem>& items) {
        if (position >= 0 && static_cast<size_t>(position) < items.size()) id = items[static_cast<size_t>(position)].id;
    });
    return id;
}

BOOL WINAPI DestroyMenu(HMENU menu) {
    MenuTable& table = Menus();
    std::lock_guard<std::mutex> lock(table.mutex);
    if (!table.menus.erase(menu)) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return FALSE;
    }
    return TRUE;
}

}  // extern "C"
