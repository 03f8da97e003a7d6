// What window_watch and its hook DLL (window_watch_hook) share.
#pragma once

#include "platform/win32.h"

// The class of the watcher's message-only window, which the hook finds.
constexpr char kWatcherClass[] = "WindowWatchReceiver";
// Sent by the hook for each window made in the watched process: WPARAM is the window.
constexpr UINT kWindowCreated = WM_APP + 1;
// The hook procedure the DLL exports (undecorated: the DLL is linked with --kill-at).
constexpr char kHookProcedure[] = "OnCreate";
