// hostwin-ask layout: the medium layout record of a built launcher, read
// with the record's own definition, so that its field sizes live in one place.
#include "ask.h"

#include "launcher/medium_layout.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

namespace hostwin_ask {
namespace {

constexpr std::string_view kTag{"SETUP-MEDIUM-LAYOUT/1\0", 22};

// A field's text: printable ASCII ended by a zero inside the field; nothing
// for a field that is empty, unended or holds other bytes.
std::optional<std::string> FieldText(const char* field, size_t size) {
    const char* end = static_cast<const char*>(std::memchr(field, '\0', size));
    if (!end || end == field) return std::nullopt;
    std::string text(field, end);
    for (char c : text)
        if (c < 0x20 || c > 0x7E) return std::nullopt;
    return text;
}

// The record at offset, when the bytes there make a whole, sound record.
std::optional<TMediumLayout> RecordAt(const std::vector<unsigned char>& bytes, size_t offset) {
    if (bytes.size() - offset < sizeof(TMediumLayout)) return std::nullopt;
    TMediumLayout record;
    std::memcpy(&record, bytes.data() + offset, sizeof record);
    const bool sound = FieldText(record.ProductKeyPrefix, sizeof record.ProductKeyPrefix) &&
                       FieldText(record.UserDataKey, sizeof record.UserDataKey) &&
                       FieldText(record.LanguageFolders[0], sizeof record.LanguageFolders[0]) &&
                       FieldText(record.LanguageFolders[1], sizeof record.LanguageFolders[1]);
    if (!sound) return std::nullopt;
    if (std::string_view(record.ProductKeyPrefix).back() != '\\') return std::nullopt;
    return record;
}

} // namespace

int AskLayout(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) {
        std::fputs("hostwin-ask layout: one file name (see hostwin-ask --help)\n", stderr);
        return 2;
    }
    std::vector<unsigned char> bytes;
    std::string reason;
    if (!ReadFile(arguments[0], bytes, reason)) return Fail(arguments[0] + ": " + reason);
    // The tag may also stand in other data (a message naming it): the first
    // place where a sound record follows it is the record.
    for (auto at = std::search(bytes.begin(), bytes.end(), kTag.begin(), kTag.end());
         at != bytes.end(); at = std::search(at + 1, bytes.end(), kTag.begin(), kTag.end())) {
        auto record = RecordAt(bytes, static_cast<size_t>(at - bytes.begin()));
        if (!record) continue;
        JsonObject answer;
        answer.Utf8("product_key_prefix", record->ProductKeyPrefix)
            .Utf8("user_data_key", record->UserDataKey)
            .Utf8("japanese_folder", record->LanguageFolders[ilJapanese])
            .Utf8("english_folder", record->LanguageFolders[ilEnglish]);
        std::puts(answer.Close().c_str());
        return 0;
    }
    return Fail(arguments[0] + ": carries no medium layout record (not a build of this launcher)");
}

} // namespace hostwin_ask
