// kernel32: file handles. CreateFileA with Windows' dispositions, access and
// sharing rules between the handles of this process; reading, writing,
// positioning, size and time stamps of an open file.
#include "hostwin/windows.h"

#include "files.h"
#include "handles.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace hostwin;

namespace {

class FileObject;

// Every open file handle by device and inode, for the sharing checks.
struct OpenFiles {
    std::mutex mutex;
    std::map<std::pair<dev_t, ino_t>, std::vector<const FileObject*>> byFile;
};

OpenFiles& TheOpenFiles() {
    static OpenFiles openFiles;
    return openFiles;
}

class FileObject : public KernelObject {
public:
    FileObject(int fd, bool canRead, bool canWrite, DWORD share, const struct stat& info)
        : fd_(fd), canRead_(canRead), canWrite_(canWrite), share_(share),
          key_(info.st_dev, info.st_ino) {
        OpenFiles& open = TheOpenFiles();
        std::lock_guard<std::mutex> lock(open.mutex);
        open.byFile[key_].push_back(this);
    }
    ~FileObject() override {
        OpenFiles& open = TheOpenFiles();
        {
            std::lock_guard<std::mutex> lock(open.mutex);
            auto& list = open.byFile[key_];
            list.erase(std::remove(list.begin(), list.end(), this), list.end());
            if (list.empty()) open.byFile.erase(key_);
        }
        close(fd_);
    }
    FileObject(const FileObject&) = delete;
    FileObject& operator=(const FileObject&) = delete;

    int Fd() const { return fd_; }
    bool CanRead() const { return canRead_; }
    bool CanWrite() const { return canWrite_; }
    DWORD Share() const { return share_; }
    // A handle opened for neither reading nor writing (attribute queries)
    // takes no part in sharing checks, as on Windows.
    bool UsesData() const { return canRead_ || canWrite_; }

private:
    int fd_;
    bool canRead_;
    bool canWrite_;
    DWORD share_;
    std::pair<dev_t, ino_t> key_;
};

// True when a new handle with this access and sharing conflicts with one
// already open on the file.
bool ConflictsWithOpenHandles(const struct stat& info, bool read, bool write, DWORD share) {
    if (!read && !write) return false;
    OpenFiles& open = TheOpenFiles();
    std::lock_guard<std::mutex> lock(open.mutex);
    auto it = open.byFile.find({info.st_dev, info.st_ino});
    if (it == open.byFile.end()) return false;
    for (const FileObject* other : it->second) {
        if (!other->UsesData()) continue;
        if (read && !(other->Share() & FILE_SHARE_READ)) return true;
        if (write && !(other->Share() & FILE_SHARE_WRITE)) return true;
        if (other->CanRead() && !(share & FILE_SHARE_READ)) return true;
        if (other->CanWrite() && !(share & FILE_SHARE_WRITE)) return true;
    }
    return false;
}

std::shared_ptr<FileObject> FileOf(HANDLE handle) {
    auto file = LookupHandleAs<FileObject>(handle);
    if (!file) SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

// The file of a ReadFile or WriteFile call after the checks both make: a
// file handle, opened for the transfer, with a buffer when bytes move.
std::shared_ptr<FileObject> FileForTransfer(HANDLE handle, bool write, const void* buffer,
                                            DWORD count, LPDWORD done) {
    if (done) *done = 0;
    auto file = FileOf(handle);
    if (!file) return nullptr;
    if (!(write ? file->CanWrite() : file->CanRead())) return Fail(ERROR_ACCESS_DENIED, nullptr);
    if (!buffer && count) return Fail(ERROR_INVALID_PARAMETER, nullptr);
    return file;
}

// ReadFile's and WriteFile's transfer: count bytes between the file and
// buffer, again after an interruption. A read ends early at the end of the
// file; a write that takes nothing means the disk is full. done counts the
// bytes moved (none for a failed read).
BOOL TransferBytes(HANDLE handle, bool writing, char* buffer, DWORD count, LPDWORD done) {
    auto file = FileForTransfer(handle, writing, buffer, count, done);
    if (!file) return FALSE;
    DWORD total = 0;
    while (total < count) {
        ssize_t n = writing ? write(file->Fd(), buffer + total, count - total)
                            : read(file->Fd(), buffer + total, count - total);
        if (n < 0 && errno == EINTR) continue;
        if (n > 0) {
            total += static_cast<DWORD>(n);
            continue;
        }
        if (n == 0 && !writing) break;
        if (writing && done) *done = total;
        return Fail(n < 0 ? ErrorFromErrno(errno, "") : ERROR_DISK_FULL, FALSE);
    }
    if (done) *done = total;
    return TRUE;
}

} // namespace

namespace hostwin {

bool FileOpenWithoutDeleteSharing(const struct stat& info) {
    OpenFiles& open = TheOpenFiles();
    std::lock_guard<std::mutex> lock(open.mutex);
    auto it = open.byFile.find({info.st_dev, info.st_ino});
    if (it == open.byFile.end()) return false;
    for (const FileObject* other : it->second)
        if (other->UsesData() && !(other->Share() & FILE_SHARE_DELETE)) return true;
    return false;
}

} // namespace hostwin

extern "C" {

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES,
                          DWORD disposition, DWORD flags, HANDLE) {
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING)
        return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    auto path = ResolveFileName(name);
    if (!path) return INVALID_HANDLE_VALUE;
    const std::string& posix = path->posix;
    bool read = (access & (GENERIC_READ | GENERIC_ALL)) != 0;
    bool write = (access & (GENERIC_WRITE | GENERIC_ALL)) != 0;

    struct stat info;
    bool exists = stat(posix.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    if (path->trailingSeparator) return Fail(ERROR_INVALID_NAME, INVALID_HANDLE_VALUE);
    if (!exists && (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING))
        return Fail(MissingNameError(posix), INVALID_HANDLE_VALUE);
    if (exists && disposition == CREATE_NEW) return Fail(ERROR_FILE_EXISTS, INVALID_HANDLE_VALUE);
    bool truncate = exists && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING);
    if (exists && IsReadOnlyMode(info.st_mode) && (write || truncate))
        return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    if (exists && ConflictsWithOpenHandles(info, read || truncate, write || truncate, share))
        return Fail(ERROR_SHARING_VIOLATION, INVALID_HANDLE_VALUE);

    int openFlags = (write ? O_RDWR : O_RDONLY) | O_CLOEXEC;
    if (!exists) openFlags |= O_CREAT | O_EXCL;
    mode_t mode = (flags & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    int fd = open(posix.c_str(), openFlags, mode);
    if (fd < 0) return Fail(ErrorFromErrno(errno, posix), INVALID_HANDLE_VALUE);
    // A handle without write access may still truncate (TRUNCATE_EXISTING on
    // a reader); the truncation then goes through the name.
    if (truncate && (write ? ftruncate(fd, 0) : ::truncate(posix.c_str(), 0)) != 0) {
        int error = errno;
        close(fd);
        return Fail(ErrorFromErrno(error, posix), INVALID_HANDLE_VALUE);
    }
    fstat(fd, &info);
    HANDLE handle = AllocateHandle(std::make_shared<FileObject>(fd, read, write, share, info));
    bool reportExisting = exists && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
    SetLastError(reportExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL WINAPI ReadFile(HANDLE handle, LPVOID buffer, DWORD count, LPDWORD done, LPOVERLAPPED) {
    return TransferBytes(handle, false, static_cast<char*>(buffer), count, done);
}

BOOL WINAPI WriteFile(HANDLE handle, LPCVOID buffer, DWORD count, LPDWORD done, LPOVERLAPPED) {
    // The buffer is only read from.
    return TransferBytes(handle, true, static_cast<char*>(const_cast<LPVOID>(buffer)), count, done);
}

DWORD WINAPI SetFilePointer(HANDLE handle, LONG distance, PLONG distanceHigh, DWORD method) {
    auto file = FileOf(handle);
    if (!file) return INVALID_SET_FILE_POINTER;
    // Without a high part the distance is a signed 32-bit value; with one,
    // the two form a signed 64-bit distance.
    off_t offset = distanceHigh
                       ? static_cast<off_t>(
                             (static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                             static_cast<uint32_t>(distance))
                       : static_cast<off_t>(distance);
    off_t base = 0;
    if (method == FILE_CURRENT) {
        base = lseek(file->Fd(), 0, SEEK_CUR);
    } else if (method == FILE_END) {
        struct stat info;
        fstat(file->Fd(), &info);
        base = info.st_size;
    } else if (method != FILE_BEGIN) {
        return Fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
    }
    if (base + offset < 0) return Fail(ERROR_NEGATIVE_SEEK, INVALID_SET_FILE_POINTER);
    off_t position = lseek(file->Fd(), base + offset, SEEK_SET);
    if (position < 0) return Fail(ErrorFromErrno(errno, ""), INVALID_SET_FILE_POINTER);
    if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<uint64_t>(position) >> 32);
    return static_cast<DWORD>(position);
}

DWORD WINAPI GetFileSize(HANDLE handle, LPDWORD sizeHigh) {
    auto file = FileOf(handle);
    if (!file) return INVALID_FILE_SIZE;
    struct stat info;
    if (fstat(file->Fd(), &info) != 0) return Fail(ErrorFromErrno(errno, ""), INVALID_FILE_SIZE);
    uint64_t size = static_cast<uint64_t>(info.st_size);
    if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
    SetLastError(ERROR_SUCCESS); // tells a size of 0xFFFFFFFF from a failure
    return static_cast<DWORD>(size);
}

BOOL WINAPI SetFileTime(HANDLE handle, const FILETIME*, const FILETIME* access,
                        const FILETIME* write) {
    auto file = FileOf(handle);
    if (!file) return FALSE;
    // POSIX keeps no creation time; the access and write times are set.
    timespec times[2];
    times[0] = access ? FileTimeToTimespec(*access) : timespec{0, UTIME_OMIT};
    times[1] = write ? FileTimeToTimespec(*write) : timespec{0, UTIME_OMIT};
    if (futimens(file->Fd(), times) != 0) return Fail(ErrorFromErrno(errno, ""), FALSE);
    return TRUE;
}

} // extern "C"
