// Searching zero-terminated strings for a byte or a text only where it
// stands as a whole character, never inside a double-byte character.
#pragma once

#include <string>

// The number of bytes before the first zero byte.
int ZStrLength(const char* p);

// The first occurrence of a byte, the terminating zero included in the
// search; null when absent. A plain byte search that knows no characters.
const char* ZStrScan(const char* p, char b);

// The first occurrence of the byte that is a whole (single-byte) character;
// searching for the zero byte finds the terminator. Null when there is none.
const char* FirstCharScan(const char* p, char b);

// The last occurrence of the byte that is a whole character; null when none.
const char* LastCharScan(const char* p, char b);

// The first occurrence of the text that starts on a character boundary and
// equals it in the user's locale; null when there is none or either string
// is null or empty.
const char* SubTextScan(const char* p, const char* text);

// The 1-based position of SubTextScan(S, text) in S; 0 when there is none.
int SubTextPosition(const std::string& text, const std::string& s);
