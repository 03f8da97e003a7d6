#include "system/module_path.h"

namespace {

// The longest path Windows knows (in characters); no buffer grows past it.
constexpr DWORD LongestPath = 32768;

// The most bytes one character takes in any ANSI code page (UTF-8's 4).
constexpr DWORD LongestCharacter = 4;

// A call that fills `buffer` with at most `size` characters of the module's
// path and returns the length it wrote, as GetModuleFileNameA/W do.
using TPathRead = DWORD (*)(HMODULE module, void* buffer, DWORD size);

// Calls `read` with ever larger buffers of `unit`-byte characters until the
// path fits, and returns the path's bytes. A cut path fills the buffer and
// the result is its size (Windows cuts to size - 1 characters and a zero,
// Wine to size characters without one), but Wine's ANSI call stops before a
// multi-byte character that does not fit whole and then returns less than
// the size, without an error. Only a result with room for one more
// character to spare is the whole path. One body for both widths: the
// buffer is a byte string either way.
std::string WholePath(HMODULE module, TPathRead read, DWORD unit) {
    std::string buffer((MAX_PATH + 1) * unit, '\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size() / unit);
        const DWORD length = read(module, buffer.data(), size);
        if (length == 0) return {};
        if (length + LongestCharacter < size) {
            buffer.resize(length * unit);
            return buffer;
        }
        if (size >= LongestPath) return {};
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

std::string ModuleFilePath(HMODULE module) {
    return WholePath(
        module,
        [](HMODULE from, void* buffer, DWORD size) {
            return GetModuleFileNameA(from, static_cast<char*>(buffer), size);
        },
        1);
}

std::basic_string<WCHAR> ModuleFilePathWide(HMODULE module) {
    const std::string bytes = WholePath(
        module,
        [](HMODULE from, void* buffer, DWORD size) {
            return GetModuleFileNameW(from, static_cast<WCHAR*>(buffer), size);
        },
        sizeof(WCHAR));
    // The buffer's characters were written as WCHARs; they are read as such.
    const WCHAR* characters = reinterpret_cast<const WCHAR*>(bytes.data());
    return std::basic_string<WCHAR>(characters, characters + bytes.size() / sizeof(WCHAR));
}
