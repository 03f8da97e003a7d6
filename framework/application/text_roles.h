// The byte roles the application object needs for its title and messages.
#pragma once

#include <cstddef>
#include <string>

// True when the byte at index of the zero-terminated text is the trail byte
// of a double-byte character.
bool IsTrailByteAt(const char* text, size_t index);
// True when the byte at index begins a double-byte character.
bool IsLeadByteAt(const char* text, size_t index);
// The text's last character (both bytes of a final double-byte character);
// empty for an empty text.
std::string LastCharacterOf(const std::string& text);
