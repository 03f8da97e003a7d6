#include "framework/application/window_list.h"

#include <exception>

namespace {

// The state of one enumeration; each call has its own, so calls nest.
struct DisableState {
    HWND excepted;
    TWindowList* list = nullptr;
    std::exception_ptr failure;
};

// No exception may cross the system's enumeration: it is kept and raised
// again once the enumeration has returned.
BOOL CALLBACK DisableWindow(HWND window, LPARAM param) try {
    auto* state = reinterpret_cast<DisableState*>(param);
    if (window != state->excepted && IsWindowVisible(window) && IsWindowEnabled(window)) {
        state->list = new TWindowList{state->list, window};
        EnableWindow(window, FALSE);
    }
    return TRUE;
} catch (...) {
    reinterpret_cast<DisableState*>(param)->failure = std::current_exception();
    return FALSE;
}

} // namespace

TWindowList* DisableOtherWindows(HWND excepted) {
    DisableState state{excepted, nullptr, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &DisableWindow, reinterpret_cast<LPARAM>(&state));
    if (state.failure) {
        ReenableWindows(state.list);
        std::rethrow_exception(state.failure);
    }
    return state.list;
}

void ReenableWindows(TWindowList* list) {
    while (list) {
        TWindowList* next = list->Next;
        if (IsWindow(list->Window)) EnableWindow(list->Window, TRUE);
        delete list;
        list = next;
    }
}
