// Conversion between form descriptions and their JSON text.
//
// A component is {"prefix", "flags", "position", "class", "name",
// "properties", "children"}; a property {"path", "tag", "value"} (floats add
// "hex", the payload, which compiling prefers). Texts are Shift-JIS in the
// description and UTF-8 in JSON; where a name's bytes do not survive that
// conversion, "<field>_hex" carries them beside the text. An integer stored
// with a wider tag than it needs (a record position, an item order) adds
// "<field>_tag", so that compiling a dump gives back the same bytes.
#pragma once

#include "json.h"

#include <cstdint>
#include <vector>

namespace formdump {

// Decodes a description; malformed input raises the reader's exceptions.
Json DumpDescription(const std::vector<uint8_t>& bytes);

// Encodes the JSON of a description; a value of the wrong shape raises JsonError.
std::vector<uint8_t> CompileDescription(const Json& document);

// Shift-JIS bytes as UTF-16 and back (code page 932).
std::u16string ShiftJisToUtf16(const std::string& bytes);
// Raises JsonError for a character that Shift-JIS cannot hold.
std::string Utf16ToShiftJis(const std::u16string& units);

std::string HexOf(const void* bytes, size_t count);
// Raises JsonError for text that is not an even number of hexadecimal digits.
std::string BytesOfHex(const std::u16string& hex);

}  // namespace formdump
