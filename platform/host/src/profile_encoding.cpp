#include "profile_encoding.h"

#include "codepage.h"

namespace hostwin {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";

std::string_view Mark(ProfileEncoding encoding) {
    switch (encoding) {
    case ProfileEncoding::Utf8:
        return kUtf8Mark;
    case ProfileEncoding::Utf16LittleEndian:
        return kUtf16LittleEndianMark;
    case ProfileEncoding::Utf16BigEndian:
        return kUtf16BigEndianMark;
    case ProfileEncoding::Ansi:
        break;
    }
    return {};
}

// Each UTF-16 code unit converted on its own: surrogates, paired or not,
// have no ANSI character and become the default character each.
std::string UnitsToAnsi(std::u16string_view units) {
    return EncodeCodePage(CP_ACP, std::u32string(units.begin(), units.end()));
}

std::u16string BytesToUnits(std::string_view bytes, bool bigEndian) {
    std::u16string units;
    units.reserve(bytes.size() / 2 + 1);
    for (size_t i = 0; i < bytes.size(); i += 2) {
        auto first = static_cast<unsigned char>(bytes[i]);
        auto second = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
        units += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return units;
}

std::string UnitsToBytes(std::u16string_view units, bool bigEndian) {
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t unit : units) {
        char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

} // namespace

ProfileEncoding DetectProfileEncoding(std::string_view bytes) {
    for (ProfileEncoding encoding : {ProfileEncoding::Utf8, ProfileEncoding::Utf16LittleEndian,
                                     ProfileEncoding::Utf16BigEndian})
        if (bytes.starts_with(Mark(encoding))) return encoding;
    return ProfileEncoding::Ansi;
}

std::string ProfileBytesToAnsi(std::string_view bytes, ProfileEncoding encoding) {
    bytes.remove_prefix(Mark(encoding).size());
    switch (encoding) {
    case ProfileEncoding::Utf8:
        return UnitsToAnsi(Utf32ToUtf16(Utf8ToUtf32(bytes)));
    case ProfileEncoding::Utf16LittleEndian:
        return UnitsToAnsi(BytesToUnits(bytes, false));
    case ProfileEncoding::Utf16BigEndian:
        return UnitsToAnsi(BytesToUnits(bytes, true));
    case ProfileEncoding::Ansi:
        break;
    }
    return std::string(bytes);
}

std::string AnsiToProfileBytes(std::string_view ansi, ProfileEncoding encoding) {
    std::string bytes(Mark(encoding));
    switch (encoding) {
    case ProfileEncoding::Utf8:
        return bytes + AnsiToUtf8(ansi);
    case ProfileEncoding::Utf16LittleEndian:
        return bytes + UnitsToBytes(AnsiToUtf16(ansi), false);
    case ProfileEncoding::Utf16BigEndian:
        return bytes + UnitsToBytes(AnsiToUtf16(ansi), true);
    case ProfileEncoding::Ansi:
        break;
    }
    return std::string(ansi);
}

} // namespace hostwin
