#include "framework/streaming/format.h"

#include <cmath>

namespace {

constexpr const char* tagNames[] = {
    "tgEnd",   "tgValueList", "tgSigned8",  "tgSigned16", "tgSigned32", "tgFloat80",  "tgShortText",
    "tgName",  "tgBoolFalse", "tgBoolTrue", "tgBlob",     "tgNameSet",  "tgLongText", "tgNone",
    "tgItems", "tgFloat32",   "tgFixed64",  "tgDateTime", "tgWideText", "tgSigned64",
};
static_assert(std::size(tagNames) == LastValueTag + 1);

constexpr int exponentBias = 16383;
constexpr int maxExponent = 0x7FFF;

} // namespace

const char* ValueTagName(uint8_t tag) {
    return tag <= LastValueTag ? tagNames[tag] : nullptr;
}

std::optional<TValueTag> ValueTagByName(std::string_view name) {
    for (uint8_t tag = 0; tag <= LastValueTag; ++tag)
        if (name == tagNames[tag]) return static_cast<TValueTag>(tag);
    return std::nullopt;
}

TExtended DecodeExtended80(const TExtended80& bytes) {
    uint64_t significand = 0;
    for (int i = 7; i >= 0; --i)
        significand = (significand << 8) | bytes[static_cast<size_t>(i)];
    int exponent = ((bytes[9] & 0x7F) << 8) | bytes[8];
    bool negative = (bytes[9] & 0x80) != 0;
    TExtended value;
    if (exponent == maxExponent) {
        // The explicit integer bit is not part of the NaN test.
        value = (significand << 1) == 0 ? INFINITY : NAN;
    } else {
        // Denormals use the exponent of the smallest normal number.
        int power = (exponent == 0 ? 1 : exponent) - exponentBias - 63;
        value = std::ldexp(static_cast<TExtended>(significand), power);
    }
    return negative ? -value : value;
}

TExtended80 EncodeExtended80(TExtended value) {
    TExtended80 bytes{};
    uint64_t significand = 0;
    int exponent = 0;
    if (std::isnan(value)) {
        significand = 0xC000000000000000u;
        exponent = maxExponent;
    } else if (std::isinf(value)) {
        significand = 0x8000000000000000u;
        exponent = maxExponent;
    } else if (value != 0) {
        int power = 0;
        TExtended fraction = std::frexp(std::fabs(value), &power); // in [0.5, 1)
        significand = static_cast<uint64_t>(std::ldexp(fraction, 64));
        exponent = power + exponentBias - 1;
        if (exponent <= 0) {
            int shift = 1 - exponent;
            significand = shift >= 64 ? 0 : significand >> shift;
            exponent = 0;
        } else if (exponent >= maxExponent) {
            significand = 0x8000000000000000u;
            exponent = maxExponent;
        }
    }
    for (size_t i = 0; i < 8; ++i)
        bytes[i] = static_cast<uint8_t>(significand >> (8 * i));
    bytes[8] = static_cast<uint8_t>(exponent);
    bytes[9] = static_cast<uint8_t>((exponent >> 8) | (std::signbit(value) ? 0x80 : 0));
    return bytes;
}
