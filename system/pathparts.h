// Cutting paths into their directory part and their name part at the last
// backslash or colon, never at a trail byte that has the backslash's code,
// and finding a string's last whole character.
#pragma once

#include <string>

// The 1-based index of the last byte of S that is in the delimiter set and is
// not the trail byte of a double-byte character; 0 when there is none. A zero
// byte of S is never a delimiter.
int RightmostDelimiter(const std::string& delimiters, const std::string& s);

// The path up to and including its last backslash or colon; empty when there is none.
std::string DirectoryPart(const std::string& path);

// The path after its last backslash or colon; the whole path when there is
// none, empty when the path ends in one.
std::string NamePart(const std::string& path);

// The address of the first byte of S's last character (its lead byte when it
// is a double-byte character); null when S is empty.
const char* FinalCharacter(const std::string& s);
