// The program's own module and the file names of modules the host has loaded.
#pragma once

#include "hostwin/windows.h"

#include <optional>
#include <string>

namespace hostwin {

// The program's instance handle: the base address of its executable image.
HMODULE ProgramModule();

// The program's file as a POSIX path and as a Windows path (ANSI code page).
std::string ProgramPosixPath();
std::string ProgramWindowsPath();

// File names of modules loaded by LoadLibraryExA, for GetModuleFileNameA.
void RegisterModuleFileName(HMODULE module, const std::string& ansiPath);
void ForgetModuleFileName(HMODULE module);
std::optional<std::string> ModuleFileName(HMODULE module);

// Handles of the system libraries the program may look up (user32.dll, ...),
// or null for any other name.
HMODULE SystemLibraryHandle(const char* name);
// True for the handle of one of those system libraries.
bool IsSystemLibraryHandle(HMODULE module);

} // namespace hostwin
