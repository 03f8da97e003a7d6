#include "profile_text.h"

#include "codepage.h"
#include "profile_encoding.h"

#include <algorithm>

namespace hostwin {
namespace {

constexpr std::string_view kBlanks = " \t\v\f";

// The name of a section header line ("[name]", text after the last "]"
// ignored), or none.
std::optional<std::string_view> HeaderName(std::string_view line) {
    std::string_view text = TrimBlanks(line);
    if (text.empty() || text.front() != '[') return std::nullopt;
    size_t close = text.find_last_of(']');
    if (close == std::string_view::npos || close == 0) return std::nullopt;
    return TrimBlanks(text.substr(1, close - 1));
}

// The key of an entry line, or none for headers and lines without "=".
std::optional<std::string_view> EntryKey(std::string_view line) {
    if (HeaderName(line)) return std::nullopt;
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return TrimBlanks(line.substr(0, equals));
}

// The value as Windows reads it: blanks around it dropped, then cut at its
// first zero byte (the profile functions treat it as a C string), and only
// then one pair of matching quotes removed.
std::string ProcessedValue(std::string_view line) {
    std::string_view value = TrimBlanks(line.substr(line.find('=') + 1));
    value = value.substr(0, value.find('\0'));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

} // namespace

std::string_view TrimBlanks(std::string_view text) {
    size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool SameProfileName(std::string_view a, std::string_view b) {
    if (a == b) return true;
    // ASCII is the same in every ANSI code page and in UTF-8.
    if (IsAscii(a) && IsAscii(b)) return EqualIgnoringAsciiCase(a, b);
    return EqualIgnoringCaseUtf8(AnsiToUtf8(a), AnsiToUtf8(b));
}

ProfileText ProfileText::Parse(std::string_view fileBytes) {
    ProfileText profile;
    profile.encoding_ = DetectProfileEncoding(fileBytes);
    const std::string text = ProfileBytesToAnsi(fileBytes, profile.encoding_);
    std::string_view bytes = text;
    // At most one line for every CR or LF, and one for a last line without one.
    profile.lines_.reserve(
        static_cast<size_t>(std::count_if(bytes.begin(), bytes.end(),
                                          [](char c) { return c == '\n' || c == '\r'; })) +
        1);
    size_t i = 0;
    while (i < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", i);
        if (end == std::string_view::npos) {
            profile.lines_.push_back({std::string(bytes.substr(i)), ""});
            break;
        }
        // A line ends with CR LF, LF or a lone CR.
        size_t endingLength =
            bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1;
        profile.lines_.push_back(
            {std::string(bytes.substr(i, end - i)), std::string(bytes.substr(end, endingLength))});
        i = end + endingLength;
    }
    return profile;
}

std::string ProfileText::Serialize() const {
    std::string text;
    for (const Line& line : lines_)
        text += line.text + line.ending;
    return AnsiToProfileBytes(text, encoding_);
}

std::vector<ProfileText::Span> ProfileText::Spans() const {
    std::vector<Span> spans{{std::nullopt, 0, lines_.size(), ""}};
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (auto name = HeaderName(lines_[i].text)) {
            spans.back().end = i;
            spans.push_back({i, i + 1, lines_.size(), std::string(*name)});
        }
    }
    return spans;
}

std::optional<ProfileText::Span> ProfileText::FindSection(std::string_view name) const {
    for (const Span& span : Spans())
        if (SameProfileName(span.name, name)) return span;
    return std::nullopt;
}

std::optional<size_t> ProfileText::FindEntry(const Span& span, std::string_view key) const {
    for (size_t i = span.begin; i < span.end; ++i) {
        auto entryKey = EntryKey(lines_[i].text);
        if (entryKey && SameProfileName(*entryKey, key)) return i;
    }
    return std::nullopt;
}

std::optional<std::string> ProfileText::Value(std::string_view section,
                                              std::string_view key) const {
    auto span = FindSection(section);
    if (!span) return std::nullopt;
    auto entry = FindEntry(*span, key);
    if (!entry) return std::nullopt;
    return ProcessedValue(lines_[*entry].text);
}

std::vector<std::string> ProfileText::SectionNames() const {
    std::vector<std::string> names;
    for (const Span& span : Spans())
        if (span.header && !span.name.empty()) names.push_back(span.name);
    return names;
}

std::optional<std::vector<std::string>> ProfileText::KeyNames(std::string_view section) const {
    auto span = FindSection(section);
    if (!span) return std::nullopt;
    std::vector<std::string> names;
    for (size_t i = span->begin; i < span->end; ++i) {
        auto key = EntryKey(lines_[i].text);
        if (key && !key->empty() && key->front() != ';') names.emplace_back(*key);
    }
    return names;
}

std::string ProfileText::LineEnding() const {
    for (const Line& line : lines_)
        if (!line.ending.empty()) return line.ending;
    return "\r\n";
}

void ProfileText::InsertLine(size_t index, std::string text) {
    std::string ending = LineEnding();
    // The line before may be the file's last, without a line end of its own.
    if (index > 0 && lines_[index - 1].ending.empty()) lines_[index - 1].ending = ending;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index),
                  Line{std::move(text), ending});
}

bool ProfileText::SetValue(std::string_view section, std::string_view key, std::string_view value) {
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    // Leading blanks of a value are not written; a reader would drop them anyway.
    std::string_view written =
        value.substr(std::min(value.find_first_not_of(kBlanks), value.size()));
    auto span = FindSection(section);
    if (span) {
        if (auto entry = FindEntry(*span, key)) {
            std::string text =
                std::string(*EntryKey(lines_[*entry].text)) + "=" + std::string(written);
            if (text == lines_[*entry].text) return false;
            lines_[*entry].text = std::move(text);
            return true;
        }
        // A new key goes after the section's last line that is not blank,
        // so blank lines that separate sections stay where they are.
        size_t index = span->begin;
        for (size_t i = span->begin; i < span->end; ++i)
            if (!TrimBlanks(lines_[i].text).empty()) index = i + 1;
        InsertLine(index, std::string(key) + "=" + std::string(written));
        return true;
    }
    InsertLine(lines_.size(), "[" + std::string(section) + "]");
    InsertLine(lines_.size(), std::string(key) + "=" + std::string(written));
    return true;
}

bool ProfileText::RemoveKey(std::string_view section, std::string_view key) {
    auto span = FindSection(TrimBlanks(section));
    if (!span) return false;
    auto entry = FindEntry(*span, TrimBlanks(key));
    if (!entry) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*entry));
    return true;
}

bool ProfileText::RemoveSection(std::string_view section) {
    auto span = FindSection(TrimBlanks(section));
    if (!span) return false;
    size_t first = span->header ? *span->header : 0;
    if (first == span->end) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(first),
                 lines_.begin() + static_cast<std::ptrdiff_t>(span->end));
    return true;
}

} // namespace hostwin
