// Disabling the thread's other windows for the duration of a modal box, and
// re-enabling exactly those windows afterwards. Calls nest.
#pragma once

#include "platform/win32.h"

// One disabled window; the entries form a singly linked list.
struct TWindowList {
    TWindowList* Next;
    HWND Window;
};

// Disables every visible, enabled top-level window of the thread except the
// excepted one, and returns the list of the windows it disabled (null when
// none). When the enumeration raises, the windows disabled so far are
// re-enabled and the exception goes on.
TWindowList* DisableOtherWindows(HWND excepted);

// Re-enables each listed window that still exists and frees the list.
void ReenableWindows(TWindowList* list);
