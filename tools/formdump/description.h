// Conversion between form descriptions and their JSON text.
//
// A component is {"prefix", "flags", "position", "class", "name",
// "properties", "children"}; a property {"path", "tag", "value"} (floats add
// "hex", the payload, which compiling prefers). Texts are Shift-JIS in the
// description and UTF-8 in JSON: a text value is {"text": ...}, or {"hex":
// ...} when its bytes are no Shift-JIS text that survives UTF-8; given both,
// they must agree. Where a name's bytes do not survive that conversion,
// "<field>_hex" carries them beside the text. An integer stored with a wider
// tag than it needs (a record position, an item order) adds "<field>_tag",
// so that compiling a dump gives back the same bytes. A tag the format does
// not name is written as its number ("0x14", "0x87"): its payload is that of
// its low seven bits, as the reader skips it.
#pragma once

#include "json.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace formdump {

// A description that cannot be dumped: the message names the byte, the
// component and the property, and the reader's message with its identifier.
class DumpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The form description named resource (an RCDATA resource) in a Windows
// program or resource file. Nothing when there is none, with problem saying
// what the file is and how to dump its descriptions (problem stays empty for
// a file that is no program: it may be a description).
std::optional<std::string> DescriptionInProgram(const std::string& contents,
                                                const std::string& file,
                                                const std::string& resource, std::string& problem);

// Decodes a description; malformed input raises DumpError.
Json DumpDescription(const std::vector<uint8_t>& bytes);

// The reader's message (Shift-JIS) in English with its identifier, the
// message itself in UTF-8 after it.
std::string ExplainReaderMessage(const std::string& message);

// How compiling checks names against the classes the program knows.
struct CompileChecks {
    bool names = false;  // check class and property names, and values' kinds
    bool strict = false; // an unknown name is an error, not a warning
    // Receives each warning ("line 12: ..."); standard error when not set.
    std::function<void(const std::string&)> warn;
};

// Encodes the JSON of a description; a value of the wrong shape (or a name
// refused by the checks) raises JsonError.
std::vector<uint8_t> CompileDescription(const Json& document, const CompileChecks& checks = {});

// Shift-JIS bytes as UTF-16 and back (code page 932).
std::u16string ShiftJisToUtf16(const std::string& bytes);
// Raises JsonError for a character that Shift-JIS cannot hold.
std::string Utf16ToShiftJis(const std::u16string& units);

std::string HexOf(const void* bytes, size_t count);
// Raises JsonError for text that is not an even number of hexadecimal digits.
std::string BytesOfHex(const std::u16string& hex);

} // namespace formdump
