// The form description format: the signature, the record prefix flags and the
// value tags, and the 80-bit extended real used by tgFloat80.
//
// A description is "TPF0" and one component record: an optional prefix byte
// (0xF0-0xFF, its low nibble a TPrefixFlags set), an optional child position,
// the class name and the component name as short texts, property records
// (short-text path, tagged value) up to a 0x00, child records up to a 0x00.
// Multi-byte numbers are little-endian.
#pragma once

#include "runtime/typeinfo.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// The tag byte in front of every value.
enum TValueTag : uint8_t {
    tgEnd = 0x00,       // end of a list; as a value, null
    tgValueList = 0x01, // values up to tgEnd
    tgSigned8 = 0x02,
    tgSigned16 = 0x03,
    tgSigned32 = 0x04,
    tgFloat80 = 0x05,   // 10 bytes: 80-bit extended real
    tgShortText = 0x06, // length byte and bytes
    tgName = 0x07,      // length byte and bytes: an identifier
    tgBoolFalse = 0x08,
    tgBoolTrue = 0x09,
    tgBlob = 0x0A,     // 4-byte length and bytes
    tgNameSet = 0x0B,  // short texts up to an empty one
    tgLongText = 0x0C, // 4-byte length and bytes
    tgNone = 0x0D,     // no object, no handler
    tgItems = 0x0E,    // collection items up to tgEnd
    tgFloat32 = 0x0F,
    tgFixed64 = 0x10,  // amount times 10000
    tgDateTime = 0x11, // IEEE double, days
    tgWideText = 0x12, // 4-byte count of UTF-16 units and the units
    tgSigned64 = 0x13,
};

// The highest tag the format defines.
constexpr uint8_t LastValueTag = tgSigned64;

// The smallest integer tag that holds the value (tgSigned64 beyond 32 bits),
// the tag a writer chooses.
constexpr TValueTag SmallestIntegerTag(int64_t value) {
    if (value >= -128 && value <= 127) return tgSigned8;
    if (value >= -32768 && value <= 32767) return tgSigned16;
    if (value >= -2147483647 - 1 && value <= 2147483647) return tgSigned32;
    return tgSigned64;
}

// The tag's name as the format names it ("tgSigned16"), or null for a byte
// that is no tag.
const char* ValueTagName(uint8_t tag);
// The tag of that name, if there is one.
std::optional<TValueTag> ValueTagByName(std::string_view name);

// The low nibble of a record's prefix byte.
enum TPrefixFlag : uint8_t {
    pfFromAncestor = 1, // the component exists already and is looked up by name
    pfHasPosition = 2,  // an integer child position follows the prefix
    pfEmbedded = 4,     // the component is an embedded sub-root
};
using TPrefixFlags = uint8_t;

// A byte that starts a record is a prefix when its high nibble is 0xF.
constexpr bool IsPrefixByte(uint8_t byte) {
    return (byte & 0xF0) == 0xF0;
}
constexpr uint8_t MakePrefixByte(TPrefixFlags flags) {
    return static_cast<uint8_t>(0xF0 | (flags & 0x0F));
}

// The signature, "TPF0".
constexpr std::array<uint8_t, 4> StreamMagic = {0x54, 0x50, 0x46, 0x30};

// The payload of tgFloat80: 64-bit significand with explicit leading bit,
// then sign and 15-bit biased exponent.
using TExtended80 = std::array<uint8_t, 10>;

// Decodes an 80-bit extended real without relying on the width of long double:
// values beyond the range of TExtended become infinities, denormals and NaNs
// are kept as far as TExtended can hold them.
TExtended DecodeExtended80(const TExtended80& bytes);
// Encodes a value as an 80-bit extended real (rounded to 64 significant bits).
TExtended80 EncodeExtended80(TExtended value);
