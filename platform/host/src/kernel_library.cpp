// kernel32: loading a PE file as a resource-only data module
// (LoadLibraryExA with LOAD_LIBRARY_AS_DATAFILE) and freeing it. The host
// runs no foreign code: other loads find only the system libraries.
#include "hostwin/windows.h"

#include "files.h"
#include "journal.h"
#include "modules.h"
#include "pe_resources.h"
#include "resources.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hostwin {
namespace {

// The bytes of a file; on failure the Windows error of the failure.
std::optional<std::vector<BYTE>> ReadWholeFile(LPCSTR name, DWORD& error) {
    auto path = ResolveFileName(name);
    if (!path) {
        error = ERROR_PATH_NOT_FOUND;
        return std::nullopt;
    }
    struct stat info;
    if (stat(path->posix.c_str(), &info) != 0) {
        error = ErrorFromErrno(errno, path->posix);
        return std::nullopt;
    }
    if (S_ISDIR(info.st_mode)) {
        error = ERROR_ACCESS_DENIED;
        return std::nullopt;
    }
    int fd = open(path->posix.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = ErrorFromErrno(errno, path->posix);
        return std::nullopt;
    }
    std::vector<BYTE> bytes;
    BYTE chunk[65536];
    for (;;) {
        ssize_t got = read(fd, chunk, sizeof(chunk));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            if (got < 0) error = ErrorFromErrno(errno, path->posix);
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    close(fd);
    if (error != ERROR_SUCCESS) return std::nullopt;
    return bytes;
}

// Records a load of a file as a data module: the name as the program gave
// it and the Win32 error (0 when loaded); returns the module.
HMODULE JournalLoad(LPCSTR name, HMODULE module, DWORD error) {
    if (JournalEnabled()) JournalEntry("library_load").Text("name", name).Number("error", error);
    if (!module) SetLastError(error);
    return module;
}

} // namespace
} // namespace hostwin

using namespace hostwin;

extern "C" {

HMODULE WINAPI LoadLibraryExA(LPCSTR name, HANDLE, DWORD flags) {
    if (!name) return Fail(ERROR_INVALID_PARAMETER, static_cast<HMODULE>(nullptr));
    if (HMODULE library = SystemLibraryHandle(name)) return library;
    if (!(flags & LOAD_LIBRARY_AS_DATAFILE))
        return Fail(ERROR_MOD_NOT_FOUND, static_cast<HMODULE>(nullptr));
    DWORD error = ERROR_SUCCESS;
    auto bytes = ReadWholeFile(name, error);
    if (!bytes) return JournalLoad(name, nullptr, error);
    std::unique_ptr<PeResourceModule> resources = ReadPeResources(std::move(*bytes));
    if (!resources) return JournalLoad(name, nullptr, ERROR_BAD_EXE_FORMAT);
    // As on Windows, a module loaded as data is known by the address of its
    // image with the low bit set, which no loaded program module carries.
    auto handle =
        reinterpret_cast<HMODULE>(reinterpret_cast<uintptr_t>(resources->Image().data()) | 1);
    RegisterResourceModule(handle, std::move(resources));
    return JournalLoad(name, handle, ERROR_SUCCESS);
}

BOOL WINAPI FreeLibrary(HMODULE module) {
    if (!module) return FALSE;
    if (module == ProgramModule() || IsSystemLibraryHandle(module)) return TRUE;
    // Wine leaves the last error alone for a handle that names no module.
    return UnregisterResourceModule(module) ? TRUE : FALSE;
}

} // extern "C"
