#include "files.h"

#include "paths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hostwin {
namespace {

// Seconds between 1601-01-01 and 1970-01-01.
constexpr LONGLONG kEpochDifferenceSeconds = 11644473600LL;
constexpr LONGLONG kTicksPerSecond = 10000000LL;

std::string ParentOf(const std::string& posixPath) {
    size_t slash = posixPath.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : posixPath.substr(0, slash);
}

} // namespace

std::optional<HostPath> ResolveFileName(LPCSTR name) {
    if (!name || !*name) return Fail(ERROR_PATH_NOT_FOUND, std::nullopt);
    std::string_view text(name);
    auto posix = WindowsToPosix(text);
    if (!posix) return Fail(ERROR_PATH_NOT_FOUND, std::nullopt);
    char last = text.back();
    return HostPath{*posix, last == '\\' || last == '/'};
}

DWORD MissingNameError(const std::string& posixPath) {
    return PosixDirectoryExists(ParentOf(posixPath)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

DWORD ErrorFromErrno(int error, const std::string& posixPath) {
    switch (error) {
    case ENOENT:
        return MissingNameError(posixPath);
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EFBIG:
        return ERROR_DISK_FULL;
    case ENAMETOOLONG:
        return ERROR_INVALID_NAME;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    default:
        return ERROR_INVALID_FUNCTION;
    }
}

bool ReadWholeFile(int fd, std::string& bytes) {
    // Read straight into the text, sized for the whole file at once: a
    // text grown piece by piece copies a large file several times over.
    struct stat info;
    size_t size = bytes.size();
    size_t room =
        fstat(fd, &info) == 0 && info.st_size > 0 ? static_cast<size_t>(info.st_size) + 1 : 65536;
    for (;;) {
        if (size == bytes.size()) bytes.resize(size + std::max(room, size / 2));
        ssize_t count = read(fd, bytes.data() + size, bytes.size() - size);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            bytes.resize(size);
            return count == 0;
        }
        size += static_cast<size_t>(count);
    }
}

bool ReadWholeFile(const std::string& posixPath, std::string& bytes, std::string& reason) {
    int fd = open(posixPath.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info;
    bool done = false;
    if (fd >= 0 && fstat(fd, &info) == 0 && S_ISDIR(info.st_mode))
        errno = EISDIR; // open() takes directories
    else if (fd >= 0)
        done = ReadWholeFile(fd, bytes);
    if (!done) reason = std::strerror(errno);
    if (fd >= 0) close(fd);
    return done;
}

DWORD ReturnText(const std::string& text, LPSTR buffer, DWORD size) {
    if (!buffer || size <= text.size()) return static_cast<DWORD>(text.size() + 1);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}

bool IsReadOnlyMode(mode_t mode) {
    return (mode & S_IWUSR) == 0;
}

DWORD AttributesOf(const struct stat& info) {
    if (S_ISDIR(info.st_mode))
        return FILE_ATTRIBUTE_DIRECTORY |
               (IsReadOnlyMode(info.st_mode) ? FILE_ATTRIBUTE_READONLY : 0);
    return FILE_ATTRIBUTE_ARCHIVE | (IsReadOnlyMode(info.st_mode) ? FILE_ATTRIBUTE_READONLY : 0);
}

ULONGLONG FileTimeToTicks(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME TicksToFileTime(ULONGLONG ticks) {
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

FILETIME TimespecToFileTime(const timespec& time) {
    LONGLONG seconds = static_cast<LONGLONG>(time.tv_sec) + kEpochDifferenceSeconds;
    if (seconds < 0) return FILETIME{0, 0};
    return TicksToFileTime(static_cast<ULONGLONG>(seconds) * kTicksPerSecond +
                           static_cast<ULONGLONG>(time.tv_nsec) / 100);
}

timespec FileTimeToTimespec(const FILETIME& time) {
    ULONGLONG ticks = FileTimeToTicks(time);
    timespec out{};
    out.tv_sec = static_cast<time_t>(static_cast<LONGLONG>(ticks / kTicksPerSecond) -
                                     kEpochDifferenceSeconds);
    out.tv_nsec = static_cast<long>((ticks % kTicksPerSecond) * 100);
    return out;
}

LONGLONG CurrentLocalOffsetTicks() {
    time_t now = std::time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    return static_cast<LONGLONG>(local.tm_gmtoff) * kTicksPerSecond;
}

} // namespace hostwin
