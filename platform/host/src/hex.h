// Hexadecimal digits read and written by the host layer (which sees nothing
// of the runtime): registry data, journal fields, JSON escapes.
#pragma once

#include <string>
#include <string_view>

namespace hostwin {

// The value of one hexadecimal digit (0-9, a-f, A-F), or -1 for any other byte.
constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Appends each byte as two small hexadecimal digits.
inline void AppendHexBytes(std::string& out, std::string_view bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    for (char c : bytes) {
        out += digits[static_cast<unsigned char>(c) >> 4];
        out += digits[static_cast<unsigned char>(c) & 15];
    }
}

} // namespace hostwin
