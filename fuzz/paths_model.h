// A slow reference model of the double-byte rules for the paths fuzz target,
// written to be obviously right rather than fast: every string is walked
// character by character from its first byte, and every question is answered
// from that walk.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace paths_model {

enum Role : uint8_t { kSingle, kLead, kTrail };

struct Locale {
    bool doubleByte = false;
    std::array<bool, 256> lead{}; // which byte values begin a double-byte character
};

// The lead bytes that a CPINFO LeadByte array names: inclusive low..high
// pairs, read until a pair of zeros or the sixth pair.
std::array<bool, 256> LeadBytesOfRanges(const uint8_t (&pairs)[12]);

// The role of every byte of the bytes, walking from the first: a lead byte
// and the byte after it form one character (the second is its trail byte),
// unless that byte is a zero, which is always a character of its own (it ends
// a zero-terminated string); every other byte is a single byte.
std::vector<Role> Roles(const Locale& locale, const std::string& bytes);

// The bytes of a zero-terminated string: up to the first zero.
std::string ZeroTerminated(const std::string& bytes);

// The 0-based index of the last byte that is a delimiter standing as a
// character of its own; none when there is no such byte.
std::optional<size_t> LastDelimiter(const Locale& locale, const std::string& delimiters,
                                    const std::string& s);

// The 0-based index where the last character of s starts; none for the empty string.
std::optional<size_t> LastCharacterStart(const Locale& locale, const std::string& s);

// Of a zero-terminated string: the first (or last) position of the byte as a
// single-byte character; the zero byte is found at the terminator.
std::optional<size_t> FirstCharacter(const Locale& locale, const std::string& z, uint8_t b);
std::optional<size_t> LastCharacter(const Locale& locale, const std::string& z, uint8_t b);

// Of zero-terminated strings: the first position where the text occurs and
// does not start on a trail byte; none when either is empty.
std::optional<size_t> TextStart(const Locale& locale, const std::string& z,
                                const std::string& text);

} // namespace paths_model
