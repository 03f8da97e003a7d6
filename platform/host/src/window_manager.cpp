// The window table and the window tree: handles, parents and children in
// z-order, and the desktop window at the root.
#include "window_manager.h"

#include "machine.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>

namespace hostwin {
namespace {

struct WindowTable {
    std::mutex mutex; // guards the map; other threads look windows up to post to them
    std::map<HWND, WindowPtr> windows;
    WindowPtr desktop;
};

WindowTable& Table() {
    static WindowTable* table = [] {
        auto* created = new WindowTable();
        auto desktop = std::make_shared<Window>();
        desktop->handle = reinterpret_cast<HWND>(NewObjectHandle());
        desktop->style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        const RECT& primary = TheMachine().monitors.front();
        desktop->rect = primary;
        desktop->normalRect = primary;
        desktop->text = "";
        created->desktop = desktop;
        created->windows[desktop->handle] = desktop;
        return created;
    }();
    return *table;
}

} // namespace

uintptr_t NewObjectHandle() {
    // Multiples of four from 0x10020, as Windows' handles are even and never small.
    static std::atomic<uintptr_t> next{0x10020};
    return next.fetch_add(4);
}

WindowPtr FindWindowObject(HWND window) {
    if (!window) return nullptr;
    WindowTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.windows.find(window);
    if (it == table.windows.end() || it->second->destroyed) return nullptr;
    return it->second;
}

WindowPtr RequireWindow(HWND window) {
    WindowPtr found = FindWindowObject(window);
    if (!found) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return found;
}

WindowPtr Desktop() {
    return Table().desktop;
}
HWND DesktopHandle() {
    return Table().desktop->handle;
}
bool IsDesktop(const Window& window) {
    return &window == Table().desktop.get();
}
bool IsTopLevel(const Window& window) {
    return window.parent == DesktopHandle();
}

void EnterWindow(const WindowPtr& window, bool atBottom) {
    WindowTable& table = Table();
    window->handle = reinterpret_cast<HWND>(NewObjectHandle());
    WindowPtr parent;
    {
        std::lock_guard<std::mutex> lock(table.mutex);
        table.windows[window->handle] = window;
        parent = table.windows[window->parent];
    }
    auto& siblings = parent->children;
    if (atBottom) {
        siblings.push_back(window->handle);
        return;
    }
    // New top-level windows go to the top of their band: above every other
    // window, or below the topmost ones when they are not topmost themselves.
    auto position = siblings.begin();
    if (IsTopLevel(*window) && !(window->exStyle & WS_EX_TOPMOST)) {
        while (position != siblings.end()) {
            WindowPtr sibling = FindWindowObject(*position);
            if (!sibling || !(sibling->exStyle & WS_EX_TOPMOST)) break;
            ++position;
        }
    }
    siblings.insert(position, window->handle);
}

void RemoveWindow(const WindowPtr& window) {
    WindowTable& table = Table();
    WindowPtr parent;
    {
        std::lock_guard<std::mutex> lock(table.mutex);
        auto it = table.windows.find(window->parent);
        if (it != table.windows.end()) parent = it->second;
        table.windows.erase(window->handle);
    }
    if (parent) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), window->handle),
                       siblings.end());
    }
}

std::vector<WindowPtr> ChildrenOf(const Window& window) {
    std::vector<WindowPtr> result;
    for (HWND child : window.children)
        if (WindowPtr found = FindWindowObject(child)) result.push_back(found);
    return result;
}

std::vector<WindowPtr> TopLevelWindows() {
    return ChildrenOf(*Desktop());
}

bool IsSelfOrDescendant(const Window& ancestor, HWND window) {
    WindowPtr current = FindWindowObject(window);
    while (current && !IsDesktop(*current)) {
        if (current.get() == &ancestor) return true;
        current = FindWindowObject(current->parent);
    }
    return false;
}

WindowPtr TopLevelOf(const WindowPtr& window) {
    WindowPtr current = window;
    while (current && !IsDesktop(*current) && !IsTopLevel(*current))
        current = FindWindowObject(current->parent);
    return current && !IsDesktop(*current) ? current : nullptr;
}

bool IsShown(const Window& window) {
    if (!(window.style & WS_VISIBLE)) return false;
    WindowPtr parent = FindWindowObject(window.parent);
    while (parent && !IsDesktop(*parent)) {
        if (!(parent->style & WS_VISIBLE)) return false;
        parent = FindWindowObject(parent->parent);
    }
    return true;
}

} // namespace hostwin
