#include "replace_file.h"

#include "files.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hostwin {
namespace {

std::string TemporaryNameBeside(const std::string& posixPath) {
    static std::atomic<unsigned> counter{0};
    size_t slash = posixPath.find_last_of('/');
    std::string directory = slash == std::string::npos ? "." : posixPath.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? posixPath : posixPath.substr(slash + 1);
    return directory + "." + name + "." + std::to_string(getpid()) + "." +
           std::to_string(counter++) + ".new";
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

} // namespace

bool ReplaceFileContents(const std::string& posixPath, std::string_view bytes, DWORD& error) {
    std::string temporary = TemporaryNameBeside(posixPath);
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = ErrorFromErrno(errno, posixPath);
        return false;
    }
    struct stat old;
    bool ok = (stat(posixPath.c_str(), &old) != 0 || fchmod(fd, old.st_mode & 07777) == 0) &&
              WriteAll(fd, bytes) && fsync(fd) == 0;
    int savedErrno = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        savedErrno = errno;
    }
    if (ok && rename(temporary.c_str(), posixPath.c_str()) != 0) {
        ok = false;
        savedErrno = errno;
    }
    if (!ok) {
        unlink(temporary.c_str());
        error = ErrorFromErrno(savedErrno, posixPath);
    }
    return ok;
}

} // namespace hostwin
