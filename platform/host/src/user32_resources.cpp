// user32: strings from a module's string table.
#include "hostwin/windows.h"

#include "codepage.h"
#include "resources.h"

#include <algorithm>
#include <cstring>

using namespace hostwin;

extern "C" int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size) {
    if (!buffer || size <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    buffer[0] = 0;
    const ResourceModule* resources = ResourcesOf(instance);
    if (!resources) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    // Strings are kept in blocks of sixteen counted UTF-16 strings; block
    // (id / 16) + 1 holds the string.
    ResourceKey type{6, {}};
    ResourceKey name{static_cast<WORD>((id >> 4) + 1), {}};
    const ResourceRecord* block = resources->Find(type, name);
    if (!block) {
        SetLastError(resources->MissingError(type));
        return 0;
    }
    const BYTE* p = block->data;
    const BYTE* end = block->data + block->size;
    for (UINT index = 0; index < (id & 15); ++index) {
        if (end - p < 2) return 0;
        WORD length = static_cast<WORD>(p[0] | (p[1] << 8));
        p += 2 + 2 * static_cast<size_t>(length);
        if (p > end) return 0;
    }
    if (end - p < 2) return 0;
    WORD length = static_cast<WORD>(p[0] | (p[1] << 8));
    p += 2;
    if (static_cast<size_t>(end - p) < 2u * length) return 0;
    std::u16string wide(length, u'\0');
    for (WORD i = 0; i < length; ++i)
        wide[i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
    std::string text = Utf16ToAnsi(wide);
    size_t count = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, text.data(), count);
    buffer[count] = 0;
    return static_cast<int>(count);
}
