#include "fuzz/paths_model.h"

namespace paths_model {

std::array<bool, 256> LeadBytesOfRanges(const uint8_t (&pairs)[12]) {
    std::array<bool, 256> lead{};
    for (int pair = 0; pair < 6; ++pair) {
        int low = pairs[2 * pair], high = pairs[2 * pair + 1];
        if (low == 0 && high == 0) break;
        for (int value = 0; value < 256; ++value)
            if (value >= low && value <= high) lead[static_cast<size_t>(value)] = true;
    }
    return lead;
}

std::vector<Role> Roles(const Locale& locale, const std::string& bytes) {
    std::vector<Role> roles(bytes.size(), kSingle);
    if (!locale.doubleByte) return roles;
    size_t i = 0;
    while (i < bytes.size()) {
        auto byte = static_cast<uint8_t>(bytes[i]);
        bool pairs = byte != 0 && locale.lead[byte] && i + 1 < bytes.size() && bytes[i + 1] != 0;
        if (pairs) {
            roles[i] = kLead;
            roles[i + 1] = kTrail;
            i += 2;
        } else {
            // A lead byte at the end, or before a zero, is a lead byte without its trail.
            roles[i] = byte != 0 && locale.lead[byte] ? kLead : kSingle;
            i += 1;
        }
    }
    return roles;
}

std::string ZeroTerminated(const std::string& bytes) {
    return bytes.substr(0, bytes.find('\0'));
}

std::optional<size_t> LastDelimiter(const Locale& locale, const std::string& delimiters,
                                    const std::string& s) {
    std::string set = ZeroTerminated(delimiters);
    std::vector<Role> roles = Roles(locale, s);
    std::optional<size_t> last;
    for (size_t i = 0; i < s.size(); ++i)
        if (s[i] != 0 && set.find(s[i]) != std::string::npos && roles[i] == kSingle) last = i;
    return last;
}

std::optional<size_t> LastCharacterStart(const Locale& locale, const std::string& s) {
    std::vector<Role> roles = Roles(locale, s);
    std::optional<size_t> start;
    for (size_t i = 0; i < s.size(); ++i)
        if (roles[i] != kTrail) start = i;
    return start;
}

std::optional<size_t> FirstCharacter(const Locale& locale, const std::string& z, uint8_t b) {
    if (b == 0) return z.size();
    std::vector<Role> roles = Roles(locale, z);
    for (size_t i = 0; i < z.size(); ++i)
        if (static_cast<uint8_t>(z[i]) == b && roles[i] == kSingle) return i;
    return std::nullopt;
}

std::optional<size_t> LastCharacter(const Locale& locale, const std::string& z, uint8_t b) {
    if (b == 0) return z.size();
    std::vector<Role> roles = Roles(locale, z);
    std::optional<size_t> last;
    for (size_t i = 0; i < z.size(); ++i)
        if (static_cast<uint8_t>(z[i]) == b && roles[i] == kSingle) last = i;
    return last;
}

std::optional<size_t> TextStart(const Locale& locale, const std::string& z,
                                const std::string& text) {
    if (z.empty() || text.empty()) return std::nullopt;
    std::vector<Role> roles = Roles(locale, z);
    for (size_t i = 0; i + text.size() <= z.size(); ++i)
        if (z.compare(i, text.size(), text) == 0 && roles[i] != kTrail) return i;
    return std::nullopt;
}

} // namespace paths_model
