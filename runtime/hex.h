// Hexadecimal digits read and written, one rule for the whole program.
#pragma once

#include <cstdint>
#include <string>

// The value of one hexadecimal digit (0-9, a-f, A-F), or -1 for any other byte.
constexpr int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The value in capital hexadecimal digits, zero-padded to at least
// `minimumDigits` digits (printf's "%0*llX").
std::string UpperHex(uint64_t value, int minimumDigits);
