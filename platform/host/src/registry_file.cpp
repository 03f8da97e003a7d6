#include "registry_file.h"

#include "ascii.h"
#include "codepage.h"
#include "hex.h"

#include <cstdio>

namespace hostwin::registry {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
// The header of the older format: texts in the machine's ANSI code page, and
// the text types' hex data as ANSI bytes.
constexpr std::string_view kAnsiHeader = "REGEDIT4";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimRight(std::string_view text) {
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::string_view TrimLeft(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    return text;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return EqualIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

// True when the text's first line is the REGEDIT4 header (blanks after it allowed).
bool HasAnsiHeader(std::string_view text) {
    if (text.substr(0, kAnsiHeader.size()) != kAnsiHeader) return false;
    text.remove_prefix(kAnsiHeader.size());
    size_t end = text.find('\n');
    for (char c : text.substr(0, end))
        if (!IsBlank(c) && c != '\r') return false;
    return true;
}

// A registry file's text as UTF-8, and whether it is a REGEDIT4 file.
struct FileText {
    std::string utf8;
    bool ansiFormat = false;
};

// Decodes a registry file: UTF-16LE after its byte-order mark, UTF-8 after
// its byte-order mark, a REGEDIT4 file without a mark in the ANSI code page
// given for such files (as regedit reads it), anything else as UTF-8.
FileText DecodeFileText(std::string_view bytes, std::optional<UINT> ansiCodePage) {
    FileText file;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        std::u16string wide;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            wide += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8);
        file.utf8 = Utf32ToUtf8(Utf16ToUtf32(wide));
    } else if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        file.utf8 = std::string(bytes.substr(3));
    } else if (ansiCodePage && HasAnsiHeader(bytes)) {
        file.utf8 = Utf32ToUtf8(DecodeCodePage(*ansiCodePage, bytes));
    } else {
        file.utf8 = std::string(bytes);
    }
    file.ansiFormat = ansiCodePage && HasAnsiHeader(file.utf8);
    return file;
}

// UTF-16LE bytes of a UTF-8 text.
std::string Utf16Bytes(std::string_view utf8) {
    std::string bytes;
    for (char16_t unit : Utf32ToUtf16(Utf8ToUtf32(utf8))) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

class Parser {
public:
    Parser(std::vector<RegFileRecord>& records, bool ansiFormat, std::optional<UINT> ansiCodePage)
        : records_(records), ansiFormat_(ansiFormat), ansiCodePage_(ansiCodePage.value_or(CP_ACP)),
          ansiAllowed_(ansiCodePage.has_value()) {}

    std::optional<RegFileError> Run(std::string_view text);

private:
    bool Fail(std::string message) {
        if (!error_) error_ = RegFileError{line_, std::move(message)};
        return false;
    }
    bool MissingHeader() {
        std::string expected = "missing the first line \"" + std::string(kHeader) + "\"";
        if (ansiAllowed_) expected += " (or \"" + std::string(kAnsiHeader) + "\")";
        return Fail(expected);
    }
    bool KeyLine(std::string_view line);
    bool ValueLine(std::string_view line);
    bool QuotedText(std::string_view& rest, std::string& text);
    bool HexBytes(std::string_view rest, std::string& bytes);

    std::vector<RegFileRecord>& records_;
    const bool ansiFormat_;   // REGEDIT4: text types' hex data is ANSI
    const UINT ansiCodePage_; // the code page of that ANSI data
    const bool ansiAllowed_;  // REGEDIT4 files are read (imports, not the store)
    std::optional<RegFileError> error_;
    int line_ = 0;
    bool inKey_ = false; // a key section is open (not a [-KEY] one)
    Root root_ = Root::LocalMachine;
    std::vector<std::string> path_;
};

// The next line of the text, without its line end and trailing blanks.
std::string_view NextLine(std::string_view text, size_t& position) {
    size_t end = text.find('\n', position);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = TrimRight(text.substr(position, end - position));
    position = end + 1;
    return line;
}

std::optional<RegFileError> Parser::Run(std::string_view text) {
    size_t position = 0;
    int physicalLine = 0;
    while (position < text.size() && !error_) {
        std::string logical(NextLine(text, position));
        line_ = ++physicalLine; // errors name the line a logical line starts on
        std::string_view start = TrimLeft(logical);
        bool valueLine = !start.empty() && (start[0] == '"' || start[0] == '@');
        // Hex data continues on the next line after a trailing backslash.
        while (valueLine && logical.back() == '\\' && position < text.size()) {
            logical.pop_back();
            logical += TrimLeft(NextLine(text, position));
            ++physicalLine;
        }
        std::string_view line = TrimLeft(logical);
        if (line_ == 1) {
            if (line != kHeader && !(ansiAllowed_ && line == kAnsiHeader)) MissingHeader();
        } else if (line.empty() || line[0] == ';') {
            // blank line or comment
        } else if (line[0] == '[') {
            KeyLine(line);
        } else if (valueLine) {
            ValueLine(line);
        } else {
            Fail("unexpected text \"" + std::string(line.substr(0, 40)) + "\"");
        }
    }
    if (physicalLine == 0) {
        line_ = 1;
        MissingHeader();
    }
    return error_;
}

bool Parser::KeyLine(std::string_view line) {
    inKey_ = false;
    if (line.back() != ']') return Fail("key name without its closing ']'");
    std::string_view name = line.substr(1, line.size() - 2);
    bool remove = !name.empty() && name[0] == '-';
    if (remove) name.remove_prefix(1);
    size_t separator = name.find('\\');
    std::string_view rootName = name.substr(0, separator);
    auto root = RootFromName(rootName);
    if (!root) return Fail("unknown root key \"" + std::string(rootName) + "\"");
    std::string_view below = separator == std::string_view::npos ? "" : name.substr(separator + 1);
    std::vector<std::string> path;
    LSTATUS status = SplitKeyPath(below, path);
    if (status == ERROR_BAD_PATHNAME) return Fail("empty key name after the root key");
    if (status != ERROR_SUCCESS) return Fail("key name longer than 256 characters");
    for (const std::string& component : path)
        if (component.find_first_of("\r\n") != std::string::npos)
            return Fail("key name with a line break");
    RegFileRecord record;
    record.kind = remove ? RegFileRecord::kDeleteKey : RegFileRecord::kKey;
    record.line = line_;
    record.root = *root;
    record.path = path;
    records_.push_back(std::move(record));
    if (!remove) {
        inKey_ = true;
        root_ = *root;
        path_ = std::move(path);
    }
    return true;
}

bool Parser::QuotedText(std::string_view& rest, std::string& text) {
    // rest starts at the opening quote; on success it starts after the closing one.
    text.clear();
    for (size_t i = 1; i < rest.size(); ++i) {
        char c = rest[i];
        if (c == '"') {
            rest.remove_prefix(i + 1);
            return true;
        }
        if (c == '\\') {
            if (++i == rest.size()) break;
            switch (rest[i]) {
            case '\\':
                text += '\\';
                break;
            case '"':
                text += '"';
                break;
            case 'n':
                text += '\n';
                break;
            case 'r':
                text += '\r';
                break;
            default:
                return Fail(std::string("unknown escape \"\\") + rest[i] + "\" in a string");
            }
            continue;
        }
        text += c;
    }
    return Fail("string without its closing quote");
}

bool Parser::HexBytes(std::string_view rest, std::string& bytes) {
    bytes.clear();
    rest = TrimLeft(rest);
    while (!rest.empty()) {
        int high = HexDigitValue(rest[0]);
        if (high < 0) return Fail("bad hex data");
        int value = high;
        rest.remove_prefix(1);
        if (!rest.empty() && HexDigitValue(rest[0]) >= 0) {
            value = value * 16 + HexDigitValue(rest[0]);
            rest.remove_prefix(1);
        }
        bytes += static_cast<char>(value);
        rest = TrimLeft(rest);
        if (rest.empty()) break;
        if (rest[0] != ',') return Fail("bad hex data");
        rest = TrimLeft(rest.substr(1));
    }
    return true;
}

bool Parser::ValueLine(std::string_view line) {
    if (!inKey_) return Fail("value line outside a key section");
    RegFileRecord record;
    record.line = line_;
    record.root = root_;
    record.path = path_;
    std::string_view rest = line;
    if (rest[0] == '@') {
        rest.remove_prefix(1);
    } else if (!QuotedText(rest, record.valueName)) {
        return false;
    }
    rest = TrimLeft(rest);
    if (rest.empty() || rest[0] != '=') return Fail("value name without '='");
    rest = TrimLeft(rest.substr(1));
    if (rest == "-") {
        record.kind = RegFileRecord::kDeleteValue;
        records_.push_back(std::move(record));
        return true;
    }
    record.kind = RegFileRecord::kValue;
    if (!rest.empty() && rest[0] == '"') {
        std::string text;
        if (!QuotedText(rest, text)) return false;
        if (!TrimLeft(rest).empty()) return Fail("text after the closing quote");
        record.type = REG_SZ;
        record.data = Utf16Bytes(text);
        record.data.append(2, '\0');
    } else if (StartsWithIgnoringCase(rest, "dword:")) {
        std::string_view digits = rest.substr(6);
        if (digits.empty() || digits.size() > 8) return Fail("bad dword value");
        uint32_t number = 0;
        for (char c : digits) {
            if (HexDigitValue(c) < 0) return Fail("bad dword value");
            number = number * 16 + static_cast<uint32_t>(HexDigitValue(c));
        }
        record.type = REG_DWORD;
        for (int shift = 0; shift < 32; shift += 8)
            record.data += static_cast<char>(number >> shift);
    } else if (StartsWithIgnoringCase(rest, "hex:")) {
        record.type = REG_BINARY;
        if (!HexBytes(rest.substr(4), record.data)) return false;
    } else if (StartsWithIgnoringCase(rest, "hex(")) {
        size_t close = rest.find("):");
        if (close == std::string_view::npos || close == 4 || close > 12)
            return Fail("bad value type in hex(...)");
        uint64_t type = 0;
        for (char c : rest.substr(4, close - 4)) {
            if (HexDigitValue(c) < 0) return Fail("bad value type in hex(...)");
            type = type * 16 + static_cast<uint64_t>(HexDigitValue(c));
        }
        if (type > 0xFFFFFFFFu) return Fail("bad value type in hex(...)");
        record.type = static_cast<DWORD>(type);
        if (!HexBytes(rest.substr(close + 2), record.data)) return false;
        // REGEDIT4 writes the text types as ANSI bytes; the store holds UTF-16.
        if (ansiFormat_ && (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ))
            record.data = Utf16Bytes(Utf32ToUtf8(DecodeCodePage(ansiCodePage_, record.data)));
    } else {
        return Fail("unknown value data \"" + std::string(rest.substr(0, 20)) + "\"");
    }
    records_.push_back(std::move(record));
    return true;
}

// The stored UTF-16LE data of a REG_SZ as plain text, when it can be written
// in quotes and read back to the same bytes: one terminating zero at the end,
// none inside, whole code points, no line breaks.
bool PlainText(const std::string& data, std::string& utf8) {
    if (data.size() < 2 || data.size() % 2 != 0) return false;
    std::u16string wide;
    for (size_t i = 0; i < data.size(); i += 2)
        wide += static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                      static_cast<unsigned char>(data[i + 1]) << 8);
    if (wide.back() != 0) return false;
    wide.pop_back();
    std::u32string text = Utf16ToUtf32(wide);
    for (char32_t c : text)
        if (c == 0 || c == '\r' || c == '\n' || (c >= 0xD800 && c <= 0xDFFF)) return false;
    utf8 = Utf32ToUtf8(text);
    return true;
}

void AppendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    out += '"';
}

void AppendValueLine(std::string& out, const Value& value) {
    size_t lineStart = out.size();
    if (value.name.empty()) {
        out += '@';
    } else {
        AppendQuoted(out, value.name);
    }
    out += '=';
    std::string text;
    char buffer[32];
    if (value.type == REG_SZ && PlainText(value.data, text)) {
        AppendQuoted(out, text);
    } else if (value.type == REG_DWORD && value.data.size() == 4) {
        uint32_t number = 0;
        for (int i = 3; i >= 0; --i)
            number = number << 8 | static_cast<unsigned char>(value.data[i]);
        std::snprintf(buffer, sizeof(buffer), "dword:%08x", number);
        out += buffer;
    } else {
        if (value.type == REG_BINARY) {
            out += "hex:";
        } else {
            std::snprintf(buffer, sizeof(buffer), "hex(%x):", static_cast<unsigned>(value.type));
            out += buffer;
        }
        // Long data wraps as regedit wraps it: a backslash, then two spaces.
        for (size_t i = 0; i < value.data.size(); ++i) {
            std::snprintf(buffer, sizeof(buffer), "%02x",
                          static_cast<unsigned char>(value.data[i]));
            out += buffer;
            if (i + 1 == value.data.size()) break;
            out += ',';
            if (out.size() - lineStart > 76) {
                out += "\\\n  ";
                lineStart = out.size() - 2;
            }
        }
    }
    out += '\n';
}

} // namespace

std::optional<RegFileError> ParseRegFile(std::string_view bytes,
                                         std::vector<RegFileRecord>& records,
                                         std::optional<UINT> ansiCodePage) {
    FileText file = DecodeFileText(bytes, ansiCodePage);
    return Parser(records, file.ansiFormat, ansiCodePage).Run(file.utf8);
}

void ApplyRegFileRecords(const std::vector<RegFileRecord>& records, Tree& tree) {
    // The values of a section follow its key: the key found for one record
    // serves the next records of the same path, until a key is deleted.
    const RegFileRecord* lastRecord = nullptr;
    Key* lastKey = nullptr;
    for (const RegFileRecord& record : records) {
        Key& root = tree.RootKey(record.root);
        if (record.kind == RegFileRecord::kDeleteKey) {
            lastRecord = nullptr;
            if (record.path.empty()) continue; // the hives stay
            std::vector<std::string> parent(record.path.begin(), record.path.end() - 1);
            if (Key* key = root.Descend(parent)) key->RemoveSubkey(record.path.back());
            continue;
        }
        Key* key = &root;
        if (lastRecord && lastRecord->root == record.root && lastRecord->path == record.path) {
            key = lastKey;
        } else {
            for (const std::string& component : record.path)
                key = &key->ObtainSubkey(component);
            lastRecord = &record;
            lastKey = key;
        }
        if (record.kind == RegFileRecord::kValue)
            key->SetValue(record.valueName, record.type, record.data);
        else if (record.kind == RegFileRecord::kDeleteValue)
            key->RemoveValue(record.valueName);
    }
}

std::string RegFileHeader() {
    return std::string(kHeader) + "\n\n";
}

void AppendRegFileSection(std::string& out, std::string_view fullKeyPath,
                          const std::vector<Value>& values) {
    out += '[';
    out += fullKeyPath;
    out += "]\n";
    for (const Value& value : values)
        AppendValueLine(out, value);
    out += '\n';
}

void AppendRegFileTree(std::string& out, const std::string& fullKeyPath, const Key& key,
                       bool writeEmptySelf) {
    if (writeEmptySelf || !key.values.empty()) AppendRegFileSection(out, fullKeyPath, key.values);
    for (const auto& entry : key.subkeys)
        AppendRegFileTree(out, fullKeyPath + "\\" + entry.second->name, *entry.second, true);
}

std::string RegFileOfTree(const Tree& tree) {
    std::string text = RegFileHeader();
    for (Root root : kRoots)
        AppendRegFileTree(text, RootName(root), tree.RootKey(root), false);
    return text;
}

} // namespace hostwin::registry
