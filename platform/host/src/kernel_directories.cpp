// kernel32: deleting files, directories, attributes, the current, Windows and
// system directories, and the full and long forms of a path.
#include "hostwin/windows.h"

#include "codepage.h"
#include "files.h"
#include "journal.h"
#include "paths.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace hostwin;

namespace {

const char kWindowsDirectory[] = "C:\\windows";
const char kSystemDirectory[] = "C:\\windows\\system32";

// The status of an existing name; sets Windows' error when there is none. A
// name with a trailing separator must be a directory.
bool StatExisting(const HostPath& path, struct stat& info) {
    if (stat(path.posix.c_str(), &info) != 0) return Fail(ErrorFromErrno(errno, path.posix), false);
    if (path.trailingSeparator && !S_ISDIR(info.st_mode)) return Fail(ERROR_PATH_NOT_FOUND, false);
    return true;
}

// Runs a POSIX call (rmdir, chdir) on the existing directory a Windows name
// names; fails with Windows' error when the name is missing or names a file.
BOOL OnExistingDirectory(LPCSTR name, int (*call)(const char*)) {
    auto path = ResolveFileName(name);
    if (!path) return FALSE;
    struct stat info;
    if (!StatExisting(*path, info)) return FALSE;
    if (!S_ISDIR(info.st_mode)) return Fail(ERROR_DIRECTORY, FALSE);
    if (call(path->posix.c_str()) != 0) return Fail(ErrorFromErrno(errno, path->posix), FALSE);
    return TRUE;
}

// The byte after the last backslash of a full path (DBCS-aware), or null when
// the path ends in one.
LPSTR NameWithin(LPSTR full, size_t length) {
    size_t nameStart = 0;
    for (size_t i = 0; i < length; ++i) {
        if (full[i] == '\\')
            nameStart = i + 1;
        else if (IsLeadByte(CP_ACP, static_cast<BYTE>(full[i])) && i + 1 < length)
            ++i;
    }
    return nameStart < length ? full + nameStart : nullptr;
}

} // namespace

extern "C" {

BOOL WINAPI DeleteFileA(LPCSTR name) {
    auto path = ResolveFileName(name);
    if (!path) return FALSE;
    struct stat info;
    if (!StatExisting(*path, info)) return FALSE;
    if (S_ISDIR(info.st_mode) || IsReadOnlyMode(info.st_mode))
        return Fail(ERROR_ACCESS_DENIED, FALSE);
    if (FileOpenWithoutDeleteSharing(info)) return Fail(ERROR_SHARING_VIOLATION, FALSE);
    if (unlink(path->posix.c_str()) != 0) return Fail(ErrorFromErrno(errno, path->posix), FALSE);
    return TRUE;
}

BOOL WINAPI CreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES) {
    auto path = ResolveFileName(name);
    if (!path) return FALSE;
    if (mkdir(path->posix.c_str(), 0777) != 0)
        return Fail(ErrorFromErrno(errno, path->posix), FALSE);
    return TRUE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR name) {
    return OnExistingDirectory(name, rmdir);
}

DWORD WINAPI GetFileAttributesA(LPCSTR name) {
    auto path = ResolveFileName(name);
    struct stat info;
    DWORD attributes =
        path && StatExisting(*path, info) ? AttributesOf(info) : INVALID_FILE_ATTRIBUTES;
    if (JournalEnabled()) {
        // What the program asked about, the host file it named, and the
        // answer: the attributes, or null and the error.
        JournalEntry entry("file_attributes");
        entry.TextOrNull("name", name);
        if (path) {
            entry.Utf8("host_path", path->posix);
        } else {
            entry.Null("host_path");
        }
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            entry.Null("attributes").Number("error", GetLastError());
        } else {
            entry.Number("attributes", attributes).Number("error", ERROR_SUCCESS);
        }
    }
    return attributes;
}

DWORD WINAPI GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
    return ReturnText(PosixToWindows(PosixCurrentDirectory()), buffer, size);
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR name) {
    return OnExistingDirectory(name, chdir);
}

UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size) {
    return ReturnText(kWindowsDirectory, buffer, size);
}

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size) {
    return ReturnText(kSystemDirectory, buffer, size);
}

DWORD WINAPI GetFullPathNameA(LPCSTR name, DWORD size, LPSTR buffer, LPSTR* filePart) {
    if (!name || !*name) return Fail(ERROR_INVALID_NAME, 0u);
    auto full = FullWindowsPath(name);
    if (!full) return Fail(ERROR_INVALID_NAME, 0u);
    DWORD result = ReturnText(*full, buffer, size);
    if (filePart && result < size) *filePart = NameWithin(buffer, full->size());
    return result;
}

DWORD WINAPI GetLongPathNameA(LPCSTR shortPath, LPSTR longPath, DWORD size) {
    if (!shortPath) return Fail(ERROR_INVALID_PARAMETER, 0u);
    DWORD error = ERROR_SUCCESS;
    auto spelt = LongWindowsPath(shortPath, error);
    if (!spelt) return Fail(error, 0u);
    return ReturnText(*spelt, longPath, size);
}

} // extern "C"
