// user32: ANSI character functions. Case conversion goes through Unicode, as
// on Windows, so double-byte characters (fullwidth letters) change too and
// trail bytes are never mistaken for ASCII letters.
#include "hostwin/windows.h"

#include "codepage.h"

#include <algorithm>
#include <cstring>
#include <string>

using namespace hostwin;

namespace {

template <char32_t (*Map)(char32_t)> DWORD MapBuffer(LPSTR text, DWORD length) {
    if (!text) return 0;
    std::u32string wide = DecodeCodePage(CP_ACP, std::string_view(text, length));
    for (char32_t& c : wide)
        c = Map(c);
    std::string converted = EncodeCodePage(CP_ACP, wide);
    DWORD count = static_cast<DWORD>(std::min<size_t>(converted.size(), length));
    std::memcpy(text, converted.data(), count);
    return count;
}

template <char32_t (*Map)(char32_t)> LPSTR MapString(LPSTR text) {
    if (IS_INTRESOURCE(text)) {
        // A single character passed in the low word.
        char c = static_cast<char>(reinterpret_cast<uintptr_t>(text) & 0xFF);
        MapBuffer<Map>(&c, 1);
        return reinterpret_cast<LPSTR>(static_cast<uintptr_t>(static_cast<BYTE>(c)));
    }
    MapBuffer<Map>(text, static_cast<DWORD>(std::strlen(text)));
    return text;
}

BOOL ConvertCodePage(UINT from, UINT to, LPCSTR source, LPSTR destination) {
    if (!source || !destination) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    size_t length = std::strlen(source);
    std::string converted =
        EncodeCodePage(to, DecodeCodePage(from, std::string_view(source, length)));
    // In place or not, the result never grows beyond the source here; keep it to its length.
    size_t count = std::min(converted.size(), length);
    std::memmove(destination, converted.data(), count);
    destination[count] = 0;
    return TRUE;
}

} // namespace

extern "C" {

LPSTR WINAPI CharLowerA(LPSTR text) {
    return MapString<UnicodeToLower>(text);
}
BOOL WINAPI OemToCharA(LPCSTR source, LPSTR destination) {
    return ConvertCodePage(CP_OEMCP, CP_ACP, source, destination);
}

} // extern "C"
