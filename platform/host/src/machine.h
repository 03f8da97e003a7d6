// The host machine: the settings that Wine takes from its prefix and the
// X server, taken here from HOSTWIN_* environment variables. Only the host
// layer reads them; see docs/host-platform.md.
#pragma once

#include "hostwin/windows.h"

#include <string>
#include <vector>

namespace hostwin {

// Which program the host process is, for the registry's views
// (HOSTWIN_PROCESS): a 64-bit program on 64-bit Windows, a 32-bit one on
// 64-bit Windows (WOW64), or a program on 32-bit Windows.
enum class ProcessKind { Win64, Wow64, Win32 };

struct Machine {
    std::string prefix;         // POSIX directory holding the registry store and drive C:
    LCID userLcid = 1033;       // user default locale
    UINT ansiCodePage = 1252;   // the A functions' code page
    UINT oemCodePage = 437;     // the OEM code page (932 on a Japanese machine)
    int dpi = 96;               // LOGPIXELSX/LOGPIXELSY of the screen
    std::vector<RECT> monitors; // the first is the primary monitor
    ProcessKind process = ProcessKind::Win64; // HOSTWIN_PROCESS
};

// The machine of this process, read from the environment on first use; the
// prefix directory and its drive_c/windows are created then.
const Machine& TheMachine();

// POSIX path of drive C: ($HOSTWIN_PREFIX/drive_c).
std::string DriveCPath();

// Parses a decimal or 0x-prefixed hexadecimal number; false when malformed.
bool ParseMachineNumber(const char* text, unsigned long& value);

} // namespace hostwin
