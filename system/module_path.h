// A module's file path, never cut: GetModuleFileName cuts a path that does
// not fit its buffer and says so only through its result.
#pragma once

#include "platform/win32.h"

#include <string>

// The module's full path from GetModuleFileNameA (ANSI code page), with a
// buffer grown until the path fits; empty when the call fails.
std::string ModuleFilePath(HMODULE module);
// The same path from GetModuleFileNameW, in UTF-16.
std::basic_string<WCHAR> ModuleFilePathWide(HMODULE module);
