#include "system/module_path.h"

namespace {

// The longest path Windows knows (in characters); no buffer grows past it.
constexpr DWORD LongestPath = 32768;

// The most bytes one character takes in any ANSI code page (UTF-8's 4).
constexpr DWORD LongestCharacter = 4;

// Calls `read`(buffer, size) with ever larger buffers until the path fits.
// A cut path fills the buffer and the result is its size (Windows cuts to
// size - 1 characters and a zero, Wine to size characters without one), but
// Wine's ANSI call stops before a multi-byte character that does not fit
// whole and then returns less than the size, without an error. Only a
// result with room for one more character to spare is the whole path.
template <typename Char, typename Read>
std::basic_string<Char> WholePath(Read read) {
    std::basic_string<Char> buffer(MAX_PATH + 1, Char());
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = read(buffer.data(), size);
        if (length == 0) return {};
        if (length + LongestCharacter < size) {
            buffer.resize(length);
            return buffer;
        }
        if (size >= LongestPath) return {};
        buffer.resize(size * 2);
    }
}

} // namespace

std::string ModuleFilePath(HMODULE module) {
    return WholePath<char>(
        [module](char* buffer, DWORD size) { return GetModuleFileNameA(module, buffer, size); });
}

std::basic_string<WCHAR> ModuleFilePathWide(HMODULE module) {
    return WholePath<WCHAR>(
        [module](WCHAR* buffer, DWORD size) { return GetModuleFileNameW(module, buffer, size); });
}
