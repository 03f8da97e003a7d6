// Paths as Wine maps them: a symbolic link $HOSTWIN_PREFIX/dosdevices/x:
// maps drive X: to the directory it points to; without one, drive C: is
// $HOSTWIN_PREFIX/drive_c and drive Z: the POSIX root. A POSIX path is shown
// on the drive whose directory holds it (the longest such). Windows paths are
// byte strings in the ANSI code page with backslashes (forward slashes are
// accepted too); POSIX names are UTF-8. Names resolve case-insensitively
// against what exists.
#pragma once

#include "hostwin/windows.h"

#include <optional>
#include <string>
#include <string_view>

namespace hostwin {

// The POSIX path of a Windows path (absolute, drive-relative, rooted or
// relative to the current directory). Each existing component is matched
// without regard to case; components that do not exist are kept as written.
// No value for paths the host cannot map (other drives, UNC names, empty).
std::optional<std::string> WindowsToPosix(std::string_view ansiPath);

// The Windows form (ANSI code page) of an absolute POSIX path.
std::string PosixToWindows(std::string_view posixPath);
// The same in UTF-16, as the wide functions give it: no name is lost to the
// code page.
std::u16string PosixToWindowsWide(std::string_view posixPath);

// The lexically normalised absolute Windows form of a path (GetFullPathNameA).
std::optional<std::string> FullWindowsPath(std::string_view ansiPath);

// The path with each name spelt as it exists (GetLongPathNameA): the form of
// the path (relative, rooted, drive) and its separators stay as written. No
// value when a name does not exist; error is then ERROR_FILE_NOT_FOUND or
// ERROR_PATH_NOT_FOUND.
std::optional<std::string> LongWindowsPath(std::string_view ansiPath, DWORD& error);

// True when the POSIX directory is the root of a drive.
bool IsPosixDriveRoot(const std::string& posixDirectory);

// The POSIX current directory.
std::string PosixCurrentDirectory();

// True when the POSIX path names an existing file (not a directory).
bool PosixFileExists(const std::string& posixPath);
bool PosixDirectoryExists(const std::string& posixPath);

} // namespace hostwin
