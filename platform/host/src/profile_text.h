// The text of a profile (INI) file as the profile functions see it: lines of
// sections ("[name]") and entries ("key=value"), with Windows' rules for
// names and values, and the edits WritePrivateProfileStringA makes. Every
// line that is not changed keeps its bytes and its line end.
#pragma once

#include "profile_encoding.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hostwin {

class ProfileText {
public:
    // Reads any bytes; malformed lines are kept and never entries. A file
    // with a byte-order mark is read as Unicode (see profile_encoding.h).
    static ProfileText Parse(std::string_view fileBytes);
    // The file's bytes, in the encoding it was read in.
    std::string Serialize() const;

    // The value of the key in the first section of that name, with blanks
    // around it and then one pair of matching enclosing quotes removed.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;
    // The names of all sections with a name, in file order.
    std::vector<std::string> SectionNames() const;
    // The key names of the first section of that name (comments starting
    // with ";" and empty names left out); no value when there is no such section.
    std::optional<std::vector<std::string>> KeyNames(std::string_view section) const;

    // The edits; each returns true when the text changed.
    bool SetValue(std::string_view section, std::string_view key, std::string_view value);
    bool RemoveKey(std::string_view section, std::string_view key);
    bool RemoveSection(std::string_view section);

private:
    struct Line {
        std::string text;   // without its line end
        std::string ending; // "\r\n", "\n", "\r", or "" for a last line without one
    };
    // A section's lines: its header (none for the entries before the first
    // header, the section with the empty name) and its body [begin, end).
    struct Span {
        std::optional<size_t> header;
        size_t begin;
        size_t end;
        std::string name;
    };

    std::vector<Span> Spans() const;
    std::optional<Span> FindSection(std::string_view name) const;
    std::optional<size_t> FindEntry(const Span& span, std::string_view key) const;
    std::string LineEnding() const;
    void InsertLine(size_t index, std::string text);

    ProfileEncoding encoding_ = ProfileEncoding::Ansi;
    std::vector<Line> lines_;
};

// Blank characters around names and values.
std::string_view TrimBlanks(std::string_view text);

// Names compare without regard to case in the ANSI code page.
bool SameProfileName(std::string_view a, std::string_view b);

} // namespace hostwin
