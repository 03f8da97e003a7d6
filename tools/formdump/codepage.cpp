// Text conversions of formdump: Shift-JIS (code page 932) through the
// platform, hexadecimal.
#include "description.h"
#include "hex.h"
#include "platform/win32.h"

namespace formdump {

namespace {
constexpr UINT shiftJis = 932;
}

std::u16string ShiftJisToUtf16(const std::string& bytes) {
    if (bytes.empty()) return {};
    int size = static_cast<int>(bytes.size());
    int length = MultiByteToWideChar(shiftJis, 0, bytes.data(), size, nullptr, 0);
    std::u16string units(static_cast<size_t>(length > 0 ? length : 0), u'\0');
    if (length > 0)
        MultiByteToWideChar(shiftJis, 0, bytes.data(), size, reinterpret_cast<LPWSTR>(units.data()),
                            length);
    return units;
}

std::string Utf16ToShiftJis(const std::u16string& units) {
    if (units.empty()) return {};
    auto* wide = reinterpret_cast<LPCWSTR>(units.data());
    int size = static_cast<int>(units.size());
    BOOL usedDefault = FALSE;
    int length = WideCharToMultiByte(shiftJis, 0, wide, size, nullptr, 0, nullptr, &usedDefault);
    std::string bytes(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(shiftJis, 0, wide, size, bytes.data(), length, nullptr, &usedDefault);
    if (usedDefault || length <= 0)
        throw JsonError("\"" + Utf16ToUtf8(units) + "\" has characters that Shift-JIS cannot hold");
    return bytes;
}

std::string HexOf(const void* bytes, size_t count) {
    std::string hex;
    hostwin::AppendHexBytes(hex, std::string_view(static_cast<const char*>(bytes), count));
    return hex;
}

std::string BytesOfHex(const std::u16string& hex) {
    // A unit beyond ASCII is no digit (it must not be cut to its low byte).
    auto digit = [](char16_t c) {
        return c < 0x80 ? hostwin::HexDigitValue(static_cast<char>(c)) : -1;
    };
    if (hex.size() % 2) throw JsonError("hexadecimal text of odd length");
    std::string bytes;
    for (size_t i = 0; i < hex.size(); i += 2) {
        int high = digit(hex[i]), low = digit(hex[i + 1]);
        if (high < 0 || low < 0) throw JsonError("malformed hexadecimal text");
        bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
}

} // namespace formdump
