#include "registry_store.h"

#include "files.h"
#include "journal.h"
#include "machine.h"
#include "registry_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hostwin::registry {
namespace {

long long Nanoseconds(const timespec& time) {
    return static_cast<long long>(time.tv_sec) * 1000000000ll + time.tv_nsec;
}

FILETIME FileTimeOf(const timespec& time) {
    uint64_t ticks = (static_cast<uint64_t>(time.tv_sec) + 11644473600ull) * 10000000ull +
                     static_cast<uint64_t>(time.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

bool WriteWhole(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t count = write(fd, bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(count));
    }
    return true;
}

bool IsBlankText(std::string_view bytes) {
    return bytes.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

} // namespace

// The inter-process lock. It is taken on a descriptor of its own for every
// call: flock locks belong to the open file description, which a forked
// child would otherwise share with its parent.
class Store::FileLock {
public:
    FileLock(const std::string& path, int operation) {
        fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd_ < 0) return;
        while (flock(fd_, operation) != 0) {
            if (errno != EINTR) {
                close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~FileLock() {
        if (fd_ >= 0) close(fd_);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

Store& Store::Instance() {
    static Store store;
    return store;
}

Store::Store()
    : path_(TheMachine().prefix + "/registry.reg"),
      lockPath_(TheMachine().prefix + "/registry.lock") {}

Store::Signature Store::CurrentSignature() const {
    struct stat info;
    Signature signature;
    if (stat(path_.c_str(), &info) != 0) return signature;
    signature.exists = true;
    signature.device = info.st_dev;
    signature.inode = info.st_ino;
    signature.size = info.st_size;
    signature.mtimeNs = Nanoseconds(info.st_mtim);
    signature.ctimeNs = Nanoseconds(info.st_ctim);
    return signature;
}

LSTATUS Store::Refresh() {
    Signature now = CurrentSignature();
    if (loaded_ && now == signature_) return malformed_ ? ERROR_BADDB : ERROR_SUCCESS;

    auto fresh = std::make_unique<Tree>();
    FILETIME written = NowAsFileTime();
    if (now.exists) {
        int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
        std::string bytes;
        struct stat info;
        if (fd < 0 || fstat(fd, &info) != 0 || !ReadWholeFile(fd, bytes)) {
            if (fd >= 0) close(fd);
            ReportHostError(path_ + ": cannot read the registry store: " + std::strerror(errno));
            loaded_ = false;
            return ERROR_CANTREAD;
        }
        close(fd);
        // The signature of the file actually read, in case it was replaced meanwhile.
        now.device = info.st_dev;
        now.inode = info.st_ino;
        now.size = info.st_size;
        now.mtimeNs = Nanoseconds(info.st_mtim);
        now.ctimeNs = Nanoseconds(info.st_ctim);
        written = FileTimeOf(info.st_mtim);
        if (!IsBlankText(bytes)) {
            std::vector<RegFileRecord> records;
            if (auto error = ParseRegFile(bytes, records)) {
                // Reported once per version of the file; every call fails until it is mended.
                if (!(malformed_ && signature_ == now))
                    ReportHostError(path_ + ":" + std::to_string(error->line) + ": " +
                                    error->message + "; the registry store is refused");
                signature_ = now;
                loaded_ = true;
                malformed_ = true;
                return ERROR_BADDB;
            }
            ApplyRegFileRecords(records, *fresh);
        }
    }
    for (Root root : kRoots) {
        StampTree(fresh->RootKey(root), written);
        if (tree_) InheritKeyIds(fresh->RootKey(root), tree_->RootKey(root));
    }
    tree_ = std::move(fresh);
    signature_ = now;
    loaded_ = true;
    malformed_ = false;
    return ERROR_SUCCESS;
}

bool Store::Save() {
    std::string text = RegFileOfTree(*tree_);

    // A new file renamed over the old one: readers see the old store or the
    // new one, never a part, and a failed write leaves the old one whole.
    // As Windows writes its hives lazily, the file is not synced here but by
    // RegFlushKey (Flush).
    std::string temporary = path_ + ".new-" + std::to_string(getpid());
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    bool ok = fd >= 0 && WriteWhole(fd, text);
    int error = errno;
    if (fd >= 0 && close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && rename(temporary.c_str(), path_.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        unlink(temporary.c_str());
        ReportHostError(path_ + ": cannot write the registry store: " + std::strerror(error));
        return false;
    }
    signature_ = CurrentSignature();
    return true;
}

LSTATUS Store::Flush() {
    std::lock_guard<std::mutex> guard(mutex_);
    int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? ERROR_SUCCESS : ERROR_CANTWRITE; // nothing written yet
    bool ok = fsync(fd) == 0;
    close(fd);
    return ok ? ERROR_SUCCESS : ERROR_CANTWRITE;
}

LSTATUS Store::Read(const std::function<LSTATUS(const Tree&)>& work) {
    std::lock_guard<std::mutex> guard(mutex_);
    FileLock lock(lockPath_, LOCK_SH); // without it (a read-only machine) reading still works
    LSTATUS status = Refresh();
    return status == ERROR_SUCCESS ? work(*tree_) : status;
}

LSTATUS Store::Write(const std::function<LSTATUS(Tree&, bool&)>& work) {
    std::lock_guard<std::mutex> guard(mutex_);
    FileLock lock(lockPath_, LOCK_EX);
    if (!lock.Held()) {
        ReportHostError(lockPath_ + ": cannot lock the registry store: " + std::strerror(errno));
        return ERROR_CANTWRITE;
    }
    LSTATUS status = Refresh();
    if (status != ERROR_SUCCESS) return status;
    bool changed = false;
    status = work(*tree_, changed);
    if (changed && !Save()) {
        loaded_ = false; // the next call reads the store again, without the change
        return ERROR_CANTWRITE;
    }
    return status;
}

} // namespace hostwin::registry
