// ASCII case rules of the host layer (which sees nothing of the runtime):
// only the letters A to Z and a to z have a case; every other byte, the lead
// and trail bytes of a double-byte character included, stays as it is.
// Unlike std::tolower, the result never depends on the C locale.
#pragma once

#include <string>
#include <string_view>

namespace hostwin {

// The byte with a capital ASCII letter made small.
constexpr char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// The byte with a small ASCII letter made capital.
constexpr char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
}

// The text with every ASCII letter made small.
inline std::string AsciiLowered(std::string text) {
    for (char& c : text)
        c = AsciiLower(c);
    return text;
}

// The text with every ASCII letter made capital.
inline std::string AsciiUppered(std::string text) {
    for (char& c : text)
        c = AsciiUpper(c);
    return text;
}

// Equality with the ASCII letters compared without regard to case. Compares
// in place, without copies: class and atom lookups run it over every
// registered name.
constexpr bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

} // namespace hostwin
