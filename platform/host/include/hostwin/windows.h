// The host layer's <windows.h>: the Win32 subset the program calls, declared
// with Windows' names, types and widths and implemented in platform/host/src.
// One header per API family; see docs/host-platform.md.
#pragma once

#include "hostwin/advapi32.h"
#include "hostwin/base.h"
#include "hostwin/gdi32.h"
#include "hostwin/kernel_files.h"
#include "hostwin/kernel_handles.h"
#include "hostwin/kernel_locale.h"
#include "hostwin/kernel_module.h"
#include "hostwin/kernel_process.h"
#include "hostwin/kernel_profile.h"
#include "hostwin/kernel_resources.h"
#include "hostwin/user32.h"
