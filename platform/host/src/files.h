// Helpers shared by the file, directory, search and profile functions: how a
// Windows file name reaches a POSIX path, which Windows error a failed POSIX
// call stands for, and FILETIME arithmetic.
#pragma once

#include "hostwin/windows.h"

#include <optional>
#include <string>
#include <sys/stat.h>
#include <time.h>

namespace hostwin {

// A file name of an A function, mapped to the host.
struct HostPath {
    std::string posix;      // resolved POSIX path (existing components in their real case)
    bool trailingSeparator; // the Windows name ended in a backslash or slash
};

// Maps a file name given to a file function. Null, empty and unmappable names
// (other drives, UNC names) set ERROR_PATH_NOT_FOUND and give no value.
std::optional<HostPath> ResolveFileName(LPCSTR name);

// The error Windows reports for a name that does not exist: ERROR_FILE_NOT_FOUND
// when the directory it would be in exists, else ERROR_PATH_NOT_FOUND.
DWORD MissingNameError(const std::string& posixPath);

// The Windows error for errno after a failed call on posixPath.
DWORD ErrorFromErrno(int error, const std::string& posixPath);

// Reads a descriptor to its end; false when a read fails (the bytes read so
// far are then only a part of the file).
bool ReadWholeFile(int fd, std::string& bytes);

// Reads a whole file by its POSIX path (the host's tools read their inputs
// so); false with the reason ("Is a directory", "No such file or directory").
bool ReadWholeFile(const std::string& posixPath, std::string& bytes, std::string& reason);

// Sets the last error and returns the value given, for one-line failure returns.
template <class T> T Fail(DWORD error, T result) {
    SetLastError(error);
    return result;
}

// Hands a text to a caller's buffer as the path functions do: when it fits
// with its terminating zero, copies it and returns its length; otherwise
// leaves the buffer alone and returns the size needed, zero included.
DWORD ReturnText(const std::string& text, LPSTR buffer, DWORD size);

// True when the file's owner may not write it (FILE_ATTRIBUTE_READONLY).
bool IsReadOnlyMode(mode_t mode);

// The attributes Windows reports for a file with this status.
DWORD AttributesOf(const struct stat& info);

// FILETIME (100-nanosecond intervals since 1601-01-01 UTC) as a 64-bit count and back.
ULONGLONG FileTimeToTicks(const FILETIME& time);
FILETIME TicksToFileTime(ULONGLONG ticks);

// Conversions between POSIX times and FILETIME; times before 1601 become 0.
FILETIME TimespecToFileTime(const timespec& time);
timespec FileTimeToTimespec(const FILETIME& time);

// The offset of the host's local time from UTC now, in 100-nanosecond
// intervals (positive east of Greenwich). Windows converts file times with
// the current offset, not with the offset in force at the time converted.
LONGLONG CurrentLocalOffsetTicks();

// True when a file handle of this process holds the file (by device and
// inode) without FILE_SHARE_DELETE, so that deleting it is a sharing violation.
bool FileOpenWithoutDeleteSharing(const struct stat& info);

} // namespace hostwin
