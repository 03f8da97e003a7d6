// Waiting for a program the launcher started, without blocking the windows
// of the launcher's thread.
#pragma once

#include "platform/win32.h"

// Waits until the process has ended: true then, false when the wait fails.
// Meanwhile messages other programs send to the thread's windows are handled
// (a program that broadcasts with SendMessage, as uninstallers do after they
// change the environment, would otherwise wait for the launcher for ever);
// no posted message is taken from the queue and no input is handled.
bool AwaitProcessEnd(HANDLE process);
