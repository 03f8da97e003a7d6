// The Win32 subset the program uses.
//
// This is the only header through which the rest of the code reaches the
// operating system. On Windows it is <windows.h> itself; elsewhere it is the
// host layer (platform/host), a small emulation of the same names with the
// same types, widths and behaviour. Code above this layer is plain Win32-style
// C++ that compiles unchanged for every build.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include "hostwin/windows.h"
#endif
