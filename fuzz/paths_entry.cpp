#include "fuzz/paths_entry.h"

#include "fuzz/fuzz_input.h"
#include "fuzz/paths_model.h"
#include "system/charscan.h"
#include "system/doublebyte.h"
#include "system/pathparts.h"

#include <optional>
#include <string>

namespace {

// Longer strings add nothing the model does not see in shorter ones, and the
// classification of a run of lead bytes costs its length at every index.
constexpr size_t kMaxStringLength = 1024;

void Check(bool holds, const std::string& what) {
    if (!holds) FuzzFailure("paths", what);
}

std::string Describe(const std::optional<size_t>& index) {
    return index ? std::to_string(*index) : "none";
}

// The model names the roles in the same order as TByteRole.
bool SameRole(TByteRole role, paths_model::Role model) {
    return static_cast<int>(role) == static_cast<int>(model);
}

// The offset of a pointer into a string, or none for null.
std::optional<size_t> OffsetIn(const char* found, const std::string& in) {
    if (!found) return std::nullopt;
    return static_cast<size_t>(found - in.c_str());
}

// The locale's globals as the entry sets them, put back afterwards.
class TLocaleScope {
public:
    TLocaleScope() : doubleByte_(DoubleByteLocale), leadBytes_(LeadByteSet) {}
    ~TLocaleScope() {
        DoubleByteLocale = doubleByte_;
        LeadByteSet = leadBytes_;
    }
    TLocaleScope(const TLocaleScope&) = delete;
    TLocaleScope& operator=(const TLocaleScope&) = delete;

private:
    bool doubleByte_;
    TByteSet leadBytes_;
};

void CheckRoles(const paths_model::Locale& locale, const std::string& s) {
    std::vector<paths_model::Role> roles = paths_model::Roles(locale, s);
    for (size_t i = 0; i < s.size(); ++i)
        Check(SameRole(ClassifyByte(s, static_cast<int>(i) + 1), roles[i]),
              "ClassifyByte at index " + std::to_string(i + 1));
    std::string z = paths_model::ZeroTerminated(s);
    std::vector<paths_model::Role> zRoles = paths_model::Roles(locale, z);
    zRoles.push_back(paths_model::kSingle); // the terminator
    for (size_t i = 0; i <= z.size(); ++i)
        Check(SameRole(ClassifyByteZ(s.c_str(), static_cast<int>(i)), zRoles[i]),
              "ClassifyByteZ at index " + std::to_string(i));
}

void CheckDelimiters(const paths_model::Locale& locale, const std::string& delimiters,
                     const std::string& s) {
    std::optional<size_t> last = paths_model::LastDelimiter(locale, delimiters, s);
    int expected = last ? static_cast<int>(*last) + 1 : 0;
    int found = RightmostDelimiter(delimiters, s);
    Check(found == expected, "RightmostDelimiter gave " + std::to_string(found) + ", the model " +
                                 std::to_string(expected));

    // The path delimiters are single-byte characters in every double-byte
    // code page; a lead-byte set that holds them is no code page's.
    if (locale.doubleByte && (locale.lead['\\'] || locale.lead[':'])) return;
    std::optional<size_t> cut = paths_model::LastDelimiter(locale, "\\:", s);
    size_t split = cut ? *cut + 1 : 0;
    Check(DirectoryPart(s) == s.substr(0, split), "DirectoryPart");
    Check(NamePart(s) == s.substr(split), "NamePart");
}

void CheckScans(const paths_model::Locale& locale, const std::string& s, const std::string& text,
                uint8_t b) {
    std::optional<size_t> start = paths_model::LastCharacterStart(locale, s);
    Check(OffsetIn(FinalCharacter(s), s) == start,
          "FinalCharacter, the model says " + Describe(start));

    std::string z = paths_model::ZeroTerminated(s);
    for (uint8_t wanted : {b, uint8_t{0}, uint8_t{'\\'}}) {
        std::string which = " for byte " + std::to_string(wanted);
        std::optional<size_t> first = paths_model::FirstCharacter(locale, z, wanted);
        Check(OffsetIn(FirstCharScan(s.c_str(), static_cast<char>(wanted)), s) == first,
              "FirstCharScan" + which + ", the model says " + Describe(first));
        std::optional<size_t> last = paths_model::LastCharacter(locale, z, wanted);
        Check(OffsetIn(LastCharScan(s.c_str(), static_cast<char>(wanted)), s) == last,
              "LastCharScan" + which + ", the model says " + Describe(last));
    }

    std::optional<size_t> found =
        paths_model::TextStart(locale, z, paths_model::ZeroTerminated(text));
    Check(OffsetIn(SubTextScan(s.c_str(), text.c_str()), s) == found,
          "SubTextScan, the model says " + Describe(found));
    Check(SubTextPosition(text, s) == (found ? static_cast<int>(*found) + 1 : 0),
          "SubTextPosition");
}

} // namespace

void FuzzPathsInput(const uint8_t* data, size_t size) {
    TFuzzInput input(data, size);
    TLocaleScope restore;

    paths_model::Locale locale;
    locale.doubleByte = input.TakeFlag();
    BYTE ranges[MAX_LEADBYTES];
    for (BYTE& value : ranges)
        value = input.TakeByte();
    // A zero byte ends every string, so no code page makes it a lead byte:
    // a range may start at 0 only as the terminating pair.
    for (int pair = 0; pair < MAX_LEADBYTES; pair += 2)
        if (ranges[pair] == 0 && ranges[pair + 1] != 0) ranges[pair] = 1;
    locale.lead = paths_model::LeadBytesOfRanges(ranges);

    DoubleByteLocale = locale.doubleByte;
    LeadByteSet.Clear();
    AddLeadByteRanges(ranges);
    for (int value = 0; value < 256; ++value)
        Check(LeadByteSet.Contains(static_cast<BYTE>(value)) ==
                  locale.lead[static_cast<size_t>(value)],
              "AddLeadByteRanges and byte " + std::to_string(value));

    // Delimiters are single-byte characters: lead bytes are left out of the set.
    std::string delimiters;
    for (char c : input.TakeText(8))
        if (!locale.doubleByte || !locale.lead[static_cast<uint8_t>(c)]) delimiters += c;
    std::string text = input.TakeText(16);
    uint8_t b = input.TakeByte();
    std::string s(input.Rest().substr(0, kMaxStringLength));

    CheckRoles(locale, s);
    CheckDelimiters(locale, delimiters, s);
    CheckScans(locale, s, text, b);
}
