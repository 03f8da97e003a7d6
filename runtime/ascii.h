// ASCII case rules: only the letters A to Z and a to z have a case; every
// other byte, the lead and trail bytes of a double-byte character included,
// stays as it is. Names of classes, properties, members and the date markers
// compare this way in every code page.
#pragma once

#include <string_view>

// The byte with a capital ASCII letter made small.
constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// Equality with ASCII letters compared without regard to case.
constexpr bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}
