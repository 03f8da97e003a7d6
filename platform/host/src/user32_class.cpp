// user32: window classes. A class belongs to the instance that registers it
// (CS_GLOBALCLASS makes it visible to every instance); names compare without
// regard to case. The host predefines the system class "MDICLIENT".
#include "hostwin/windows.h"

#include "ascii.h"
#include "codepage.h"
#include "window_manager.h"

#include <cstring>
#include <map>
#include <mutex>

using namespace hostwin;

namespace {

struct ClassTable {
    std::mutex mutex;
    std::vector<std::shared_ptr<WindowClass>> classes;
    std::map<std::string, ATOM> atoms; // upper-cased name -> atom, kept across unregistering
    unsigned nextAtom = 0xC000;
};

// Class atoms are string atoms, 0xC000 to 0xFFFF; when they are all taken a
// new name gets none and RegisterClassA fails, as it does on Windows.
constexpr unsigned kLastAtom = 0xFFFF;

ATOM AtomFor(ClassTable& table, const std::string& name) {
    std::string key = AsciiUppered(name);
    auto it = table.atoms.find(key);
    if (it != table.atoms.end()) return it->second;
    if (table.nextAtom > kLastAtom) return 0;
    return table.atoms[key] = static_cast<ATOM>(table.nextAtom++);
}

ClassTable& Classes() {
    static ClassTable* table = [] {
        auto* created = new ClassTable();
        auto mdi = std::make_shared<WindowClass>();
        mdi->name = "MDICLIENT";
        mdi->style = CS_DBLCLKS;
        mdi->procedure = MdiClientProcedure;
        mdi->windowExtraBytes = 2 * static_cast<int>(sizeof(LONG_PTR));
        mdi->background = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_APPWORKSPACE + 1));
        mdi->system = true;
        mdi->atom = AtomFor(*created, mdi->name);
        created->classes.push_back(mdi);
        return created;
    }();
    return *table;
}

// A class argument: a name, or an atom in the low word.
bool Matches(const WindowClass& windowClass, LPCSTR name) {
    if (IS_INTRESOURCE(name))
        return windowClass.atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(name));
    // Class names are looked up without regard to case.
    return EqualIgnoringAsciiCase(windowClass.name, name);
}

bool IsGlobal(const WindowClass& windowClass) {
    return windowClass.system || (windowClass.style & CS_GLOBALCLASS);
}

std::shared_ptr<WindowClass> FindClass(ClassTable& table, LPCSTR name, HINSTANCE instance,
                                       bool localOnly) {
    for (auto& entry : table.classes)
        if (!IsGlobal(*entry) && entry->instance == instance && Matches(*entry, name)) return entry;
    if (localOnly) return nullptr;
    for (auto& entry : table.classes)
        if (IsGlobal(*entry) && Matches(*entry, name)) return entry;
    return nullptr;
}

std::shared_ptr<WindowClass> ClassOfWindow(HWND window) {
    WindowPtr found = RequireWindow(window);
    return found ? found->windowClass : nullptr;
}

// Reads or replaces one class value; `set` is null for a read.
ULONG_PTR ClassValue(HWND window, int index, const LONG_PTR* set) {
    std::shared_ptr<WindowClass> windowClass = ClassOfWindow(window);
    if (!windowClass) return 0;
    WindowClass& c = *windowClass;
    if (index >= 0) {
        if (static_cast<size_t>(index) + sizeof(LONG) > c.extra.size()) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        LONG old = 0;
        std::memcpy(&old, c.extra.data() + index, sizeof(old));
        if (set) {
            LONG value = static_cast<LONG>(*set);
            std::memcpy(c.extra.data() + index, &value, sizeof(value));
        }
        return static_cast<ULONG_PTR>(static_cast<DWORD>(old));
    }
    auto swap = [&](auto& field) -> ULONG_PTR {
        using Field = std::remove_reference_t<decltype(field)>;
        ULONG_PTR old = (ULONG_PTR)(field);
        if (set) field = (Field)(*set);
        return old;
    };
    switch (index) {
    case GCLP_HICON:
        return swap(c.icon);
    case GCLP_HICONSM:
        return swap(c.smallIcon);
    case GCLP_HCURSOR:
        return swap(c.cursor);
    case GCLP_HBRBACKGROUND:
        return swap(c.background);
    case GCL_STYLE:
        return swap(c.style);
    case GCLP_WNDPROC:
        return swap(c.procedure);
    case GCLP_HMODULE:
        return swap(c.instance);
    case GCL_CBWNDEXTRA:
        return swap(c.windowExtraBytes);
    case GCL_CBCLSEXTRA:
        // The class's extra bytes were allocated at registration; the count cannot grow.
        return static_cast<ULONG_PTR>(c.classExtraBytes);
    case GCLP_MENUNAME: {
        ULONG_PTR old = reinterpret_cast<ULONG_PTR>(c.menuName);
        if (set) {
            LPCSTR name = reinterpret_cast<LPCSTR>(*set);
            if (IS_INTRESOURCE(name)) {
                c.menuName = name;
            } else {
                c.menuNameText = name ? name : "";
                c.menuName = name ? c.menuNameText.c_str() : nullptr;
            }
        }
        return old;
    }
    case GCW_ATOM:
        return c.atom;
    default:
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
}

} // namespace

namespace hostwin {

std::shared_ptr<WindowClass> FindWindowClass(LPCSTR name, HINSTANCE instance) {
    if (!name) return nullptr;
    ClassTable& table = Classes();
    std::lock_guard<std::mutex> lock(table.mutex);
    return FindClass(table, name, instance, false);
}

std::string ClassNameOf(const Window& window) {
    return window.windowClass ? window.windowClass->name : std::string("#32769");
}

} // namespace hostwin

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA* wndClass) {
    if (!wndClass || !wndClass->lpszClassName ||
        (!IS_INTRESOURCE(wndClass->lpszClassName) && !*wndClass->lpszClassName) ||
        wndClass->cbClsExtra < 0 || wndClass->cbWndExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    ClassTable& table = Classes();
    std::lock_guard<std::mutex> lock(table.mutex);
    HINSTANCE instance = wndClass->hInstance;
    bool global = (wndClass->style & CS_GLOBALCLASS) != 0;
    for (auto& entry : table.classes) {
        bool sameScope =
            global ? IsGlobal(*entry) : (!IsGlobal(*entry) && entry->instance == instance);
        if (sameScope && Matches(*entry, wndClass->lpszClassName)) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    }
    auto created = std::make_shared<WindowClass>();
    if (IS_INTRESOURCE(wndClass->lpszClassName))
        created->name = "#" + std::to_string(reinterpret_cast<uintptr_t>(wndClass->lpszClassName));
    else
        created->name = wndClass->lpszClassName;
    created->style = wndClass->style;
    created->procedure = wndClass->lpfnWndProc;
    created->classExtraBytes = wndClass->cbClsExtra;
    created->windowExtraBytes = wndClass->cbWndExtra;
    created->instance = instance;
    created->icon = wndClass->hIcon;
    created->cursor = wndClass->hCursor;
    created->background = wndClass->hbrBackground;
    if (IS_INTRESOURCE(wndClass->lpszMenuName)) {
        created->menuName = wndClass->lpszMenuName;
    } else {
        created->menuNameText = wndClass->lpszMenuName;
        created->menuName = created->menuNameText.c_str();
    }
    created->extra.assign(static_cast<size_t>(wndClass->cbClsExtra), 0);
    created->atom = AtomFor(table, created->name);
    if (!created->atom) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    table.classes.push_back(created);
    return created->atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance) {
    if (!className) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    ClassTable& table = Classes();
    std::lock_guard<std::mutex> lock(table.mutex);
    std::shared_ptr<WindowClass> found = FindClass(table, className, instance, true);
    if (!found) {
        for (auto& entry : table.classes)
            if ((entry->style & CS_GLOBALCLASS) && Matches(*entry, className)) found = entry;
    }
    if (!found || found->system) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (found->windows > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    std::erase(table.classes, found);
    return TRUE;
}

BOOL WINAPI GetClassInfoA(HINSTANCE instance, LPCSTR className, LPWNDCLASSA wndClass) {
    if (!className || !wndClass) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::shared_ptr<WindowClass> found = FindWindowClass(className, instance);
    if (!found) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    wndClass->style = found->style;
    wndClass->lpfnWndProc = found->procedure;
    wndClass->cbClsExtra = found->classExtraBytes;
    wndClass->cbWndExtra = found->windowExtraBytes;
    wndClass->hInstance = found->system ? nullptr : found->instance;
    wndClass->hIcon = found->icon;
    wndClass->hCursor = found->cursor;
    wndClass->hbrBackground = found->background;
    wndClass->lpszMenuName = found->menuName;
    wndClass->lpszClassName = className;
    // The result is the class atom, as Windows returns it.
    return found->atom;
}

int WINAPI GetClassNameA(HWND window, LPSTR buffer, int size) {
    WindowPtr found = RequireWindow(window);
    if (!found) return 0;
    if (!buffer || size <= 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::string name = ClassNameOf(*found);
    size_t count = std::min(name.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, name.data(), count);
    buffer[count] = 0;
    return static_cast<int>(count);
}

DWORD WINAPI GetClassLongA(HWND window, int index) {
    return static_cast<DWORD>(ClassValue(window, index, nullptr));
}

DWORD WINAPI SetClassLongA(HWND window, int index, LONG value) {
    LONG_PTR wide = value;
    return static_cast<DWORD>(ClassValue(window, index, &wide));
}

ULONG_PTR WINAPI GetClassLongPtrA(HWND window, int index) {
    return ClassValue(window, index, nullptr);
}

ULONG_PTR WINAPI SetClassLongPtrA(HWND window, int index, LONG_PTR value) {
    return ClassValue(window, index, &value);
}

} // extern "C"
