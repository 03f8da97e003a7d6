#include "reg_tool.h"

#include "ascii.h"
#include "codepage.h"
#include "files.h"
#include "json_object.h"
#include "registry_file.h"
#include "replace_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace hostwin_reg {

using namespace hostwin::registry;

namespace {

constexpr Caller kCaller = Caller::Utf8;

int Fail(const std::string& message) {
    std::fprintf(stderr, "ERROR: %s\n", message.c_str());
    return 1;
}

int Fail(LSTATUS status) {
    return Fail(ErrorText(status));
}

int Done() {
    std::puts("The operation completed successfully.");
    return 0;
}

// A key handle that is closed when it goes out of scope.
class OpenedKey {
public:
    OpenedKey() = default;
    ~OpenedKey() {
        if (key_) CloseKey(key_);
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;

    // Opens or creates a key in the view that the KEY_WOW64_* flag picks.
    LSTATUS Open(Root root, const std::string& path, REGSAM view) {
        return OpenKey(RootHandle(root), path, KEY_ALL_ACCESS | view, &key_);
    }
    LSTATUS Create(Root root, const std::string& path, REGSAM view) {
        return CreateKey(RootHandle(root), path, KEY_ALL_ACCESS | view, &key_, nullptr);
    }
    HKEY Handle() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// The key named by the first positional argument.
std::optional<KeyName> KeyArgument(const CommandLine& line) {
    KeyName key;
    std::string error;
    if (!ParseKeyName(line.positional[0], key, error)) {
        Fail(error);
        return std::nullopt;
    }
    return key;
}

std::string ValueNameOf(const CommandLine& line) {
    return line.valueName ? *line.valueName : "";
}

std::string ShownName(const std::string& name) {
    return name.empty() ? "(Default)" : name;
}

void PrintValue(const Value& value) {
    std::printf("    %s    %s    %s\n", ShownName(value.name).c_str(), TypeName(value.type).c_str(),
                DisplayData(value.type, value.data).c_str());
}

std::vector<std::string> SubkeyNames(HKEY key) {
    std::vector<std::string> names;
    SubkeyEntry entry;
    for (DWORD index = 0; EnumKey(key, index, entry) == ERROR_SUCCESS; ++index)
        names.push_back(entry.name);
    return names;
}

std::vector<Value> ValuesOf(HKEY key) {
    std::vector<Value> values;
    Value value;
    for (DWORD index = 0; EnumValue(key, index, value) == ERROR_SUCCESS; ++index)
        values.push_back(value);
    return values;
}

char FoldAscii(char c, bool caseSensitive) {
    return caseSensitive ? c : hostwin::AsciiLower(c);
}

// Matches text against a pattern in which * stands for any run of bytes and
// ? for any one byte.
bool Wildcard(std::string_view pattern, std::string_view text, bool caseSensitive) {
    size_t p = 0, t = 0, starP = std::string_view::npos, starT = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starT = t;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' ||
                    FoldAscii(pattern[p], caseSensitive) == FoldAscii(text[t], caseSensitive))) {
            ++p;
            ++t;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            t = ++starT;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// A walk of reg query over a key (and, with /s, every key below it).
class QueryWalk {
public:
    QueryWalk(const CommandLine& line, std::vector<DWORD> types)
        : line_(line), types_(std::move(types)) {}

    // Prints what the key and (with /s) its subkeys hold that the command asks for.
    void Key(HKEY key, const std::string& fullName, bool headerShown) {
        for (const Value& value : ValuesOf(key)) {
            if (!ValueWanted(value)) continue;
            if (!headerShown) std::printf("\n%s\n", fullName.c_str());
            headerShown = true;
            PrintValue(value);
            ++matches_;
        }
        bool plain = !OneValue() && !Search();
        if (plain && !headerShown) std::printf("\n%s\n", fullName.c_str());
        std::vector<std::string> subkeys = SubkeyNames(key);
        if (plain && !line_.recursive) {
            if (!subkeys.empty()) std::printf("\n");
            for (const std::string& name : subkeys)
                std::printf("%s\\%s\n", fullName.c_str(), name.c_str());
            return;
        }
        for (const std::string& name : subkeys) {
            std::string subName = fullName + "\\" + name;
            bool keyMatch = KeyWanted(name);
            if (keyMatch) {
                std::printf("\n%s\n", subName.c_str());
                ++matches_;
            }
            if (!line_.recursive) continue;
            HKEY subkey = nullptr;
            if (OpenKey(key, name, KEY_ALL_ACCESS | line_.view, &subkey) != ERROR_SUCCESS) continue;
            Key(subkey, subName, keyMatch);
            CloseKey(subkey);
        }
    }

    int Matches() const { return matches_; }
    bool OneValue() const { return line_.valueName || line_.defaultValue; }
    // /f and /t search, and report the number of matches.
    bool Search() const { return line_.find || !types_.empty(); }

private:
    bool Matches(const std::string& text) const {
        std::string pattern = line_.find.value_or("*");
        if (!line_.exact) pattern = "*" + pattern + "*";
        return Wildcard(pattern, text, line_.caseSensitive);
    }

    bool ValueWanted(const Value& value) const {
        if (!types_.empty() && std::find(types_.begin(), types_.end(), value.type) == types_.end())
            return false;
        if (OneValue()) return hostwin::EqualIgnoringCaseUtf8(value.name, ValueNameOf(line_));
        if (!line_.find || line_.findKeys) return !line_.findKeys;
        if (!line_.findData && Matches(value.name)) return true;
        return Matches(DisplayData(value.type, value.data));
    }

    // Key names are searched by /f (not with /d).
    bool KeyWanted(const std::string& name) const {
        return line_.find && !line_.findData && Matches(name);
    }

    const CommandLine& line_;
    std::vector<DWORD> types_;
    int matches_ = 0;
};

// Writes a key as one JSON line, {"key", "subkeys", "values": [{"name",
// "type", "data"}]}, and with /s every key below it after it.
void JsonKey(HKEY key, const std::string& fullName, const CommandLine& line) {
    std::string out = "{\"key\": ";
    hostwin::AppendJsonString(out, fullName);
    out += ", \"subkeys\": [";
    std::vector<std::string> subkeys = SubkeyNames(key);
    for (size_t i = 0; i < subkeys.size(); ++i) {
        if (i) out += ", ";
        hostwin::AppendJsonString(out, subkeys[i]);
    }
    out += "], \"values\": [";
    bool first = true;
    for (const Value& value : ValuesOf(key)) {
        out += first ? "{\"name\": " : ", {\"name\": ";
        first = false;
        hostwin::AppendJsonString(out, value.name);
        out += ", \"type\": ";
        hostwin::AppendJsonString(out, TypeName(value.type));
        out += ", \"data\": " + JsonData(value.type, value.data) + "}";
    }
    std::printf("%s]}\n", out.c_str());
    if (!line.recursive) return;
    for (const std::string& name : subkeys) {
        HKEY subkey = nullptr;
        if (OpenKey(key, name, KEY_ALL_ACCESS | line.view, &subkey) != ERROR_SUCCESS) continue;
        JsonKey(subkey, fullName + "\\" + name, line);
        CloseKey(subkey);
    }
}

// Asks a yes-or-no question on the terminal. Nothing when standard input is
// no terminal (nobody to ask); the end of input answers no.
std::optional<bool> Ask(const std::string& question) {
    if (!isatty(STDIN_FILENO)) return std::nullopt;
    for (;;) {
        std::printf("%s (Yes/No)? ", question.c_str());
        std::fflush(stdout);
        char answer[64];
        if (!std::fgets(answer, sizeof answer, stdin)) return false;
        std::string word(answer);
        while (!word.empty() && std::isspace(static_cast<unsigned char>(word.back())))
            word.pop_back();
        word = hostwin::AsciiLowered(word);
        if (word == "y" || word == "yes") return true;
        if (word == "n" || word == "no") return false;
    }
}

int Cancelled() {
    std::puts("The operation was cancelled by the user.");
    return 1;
}

// Deletes a key with everything below it, deepest keys first.
LSTATUS DeleteTree(Root root, const std::string& path, REGSAM view) {
    {
        OpenedKey key;
        if (LSTATUS status = key.Open(root, path, view)) return status;
        for (const std::string& name : SubkeyNames(key.Handle()))
            if (LSTATUS status = DeleteTree(root, path + "\\" + name, view)) return status;
    }
    return DeleteKey(RootHandle(root), path, view, kCaller);
}

std::string JoinPath(const std::vector<std::string>& path) {
    std::string joined;
    for (const std::string& component : path)
        joined += (joined.empty() ? "" : "\\") + component;
    return joined;
}

// Applies one record of an import file in the view given: a key named below
// HKLM\SOFTWARE\WOW6432Node is the 32-bit view's in either view, as regedit
// imports it.
LSTATUS ApplyRecord(const RegFileRecord& record, REGSAM view) {
    std::string path = JoinPath(record.path);
    if (record.kind == RegFileRecord::kDeleteKey) {
        LSTATUS status = DeleteTree(record.root, path, view);
        return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
    }
    OpenedKey key;
    if (record.kind == RegFileRecord::kDeleteValue) {
        if (key.Open(record.root, path, view) != ERROR_SUCCESS) return ERROR_SUCCESS;
        LSTATUS status = DeleteValue(key.Handle(), record.valueName, kCaller);
        return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
    }
    if (LSTATUS status = key.Create(record.root, path, view)) return status;
    if (record.kind == RegFileRecord::kKey) return ERROR_SUCCESS;
    return SetValue(key.Handle(), record.valueName, record.type, record.data, kCaller);
}

} // namespace

int Query(const CommandLine& line) {
    auto name = KeyArgument(line);
    if (!name) return 1;
    std::vector<DWORD> types;
    if (line.type) {
        std::string list = *line.type;
        for (size_t start = 0; start <= list.size();) {
            size_t end = std::min(list.find(',', start), list.size());
            std::string typeName = list.substr(start, end - start);
            std::optional<DWORD> type = TypeFromName(typeName);
            if (!type) return Fail("Invalid type \"" + typeName + "\" after /t.");
            types.push_back(*type);
            start = end + 1;
        }
    }
    OpenedKey key;
    if (LSTATUS status = key.Open(name->root, name->path, line.view)) return Fail(status);
    if (line.json) {
        JsonKey(key.Handle(), name->Full(), line);
        return 0;
    }
    QueryWalk walk(line, types);
    walk.Key(key.Handle(), name->Full(), false);
    if (walk.OneValue() && !line.recursive && !walk.Search() && walk.Matches() == 0)
        return Fail(ERROR_FILE_NOT_FOUND);
    if (walk.Search() || (walk.OneValue() && line.recursive)) {
        std::printf("End of search: %d match(es) found.\n", walk.Matches());
        return walk.Matches() == 0 ? 1 : 0;
    }
    std::printf("\n");
    return 0;
}

int Add(const CommandLine& line) {
    auto name = KeyArgument(line);
    if (!name) return 1;
    std::optional<DWORD> type = TypeFromName(line.type.value_or("REG_SZ"));
    if (!type) return Fail("Invalid type \"" + *line.type + "\" after /t.");
    std::string stored, error;
    if (!EncodeData(*type, line.data.value_or(""), line.separator.value_or("\\0"), stored, error))
        return Fail(error);
    OpenedKey key;
    if (LSTATUS status = key.Create(name->root, name->path, line.view)) return Fail(status);
    // Without /v, /ve, /t or /d only the key is made.
    if (!line.valueName && !line.defaultValue && !line.type && !line.data) return Done();
    Value existing;
    if (!line.force && QueryValue(key.Handle(), ValueNameOf(line), existing) == ERROR_SUCCESS) {
        std::string shown = ShownName(ValueNameOf(line));
        std::optional<bool> overwrite = Ask("Value " + shown + " exists, overwrite");
        if (!overwrite)
            return Fail("The value " + shown +
                        " exists already and there is no terminal to ask; add /f to overwrite it.");
        if (!*overwrite) return Cancelled();
    }
    if (LSTATUS status = SetValue(key.Handle(), ValueNameOf(line), *type, stored, kCaller))
        return Fail(status);
    return Done();
}

int Delete(const CommandLine& line) {
    auto name = KeyArgument(line);
    if (!name) return 1;
    // Without /f a person at the terminal is asked; without a terminal the
    // deletion goes ahead, as scripts and stand-in programs expect.
    auto confirmed = [&](const std::string& question) {
        return line.force || Ask(question).value_or(true);
    };
    if (!line.valueName && !line.defaultValue && !line.allValues) {
        if (name->path.empty()) return Fail(ERROR_ACCESS_DENIED); // a hive
        {
            OpenedKey exists;
            if (LSTATUS status = exists.Open(name->root, name->path, line.view))
                return Fail(status);
        }
        if (!confirmed("Permanently delete the registry key " + name->Full())) return Cancelled();
        if (LSTATUS status = DeleteTree(name->root, name->path, line.view)) return Fail(status);
        return Done();
    }
    OpenedKey key;
    if (LSTATUS status = key.Open(name->root, name->path, line.view)) return Fail(status);
    std::vector<std::string> names;
    if (line.allValues) {
        if (!confirmed("Delete all values under the registry key " + name->Full()))
            return Cancelled();
        for (const Value& value : ValuesOf(key.Handle()))
            names.push_back(value.name);
    } else {
        Value existing;
        if (LSTATUS status = QueryValue(key.Handle(), ValueNameOf(line), existing))
            return Fail(status);
        if (!confirmed("Delete the registry value " + ShownName(ValueNameOf(line))))
            return Cancelled();
        names.push_back(ValueNameOf(line));
    }
    for (const std::string& valueName : names)
        if (LSTATUS status = DeleteValue(key.Handle(), valueName, kCaller)) return Fail(status);
    return Done();
}

int Import(const CommandLine& line) {
    const std::string& file = line.positional[0];
    std::string bytes, reason;
    if (!hostwin::ReadWholeFile(file, bytes, reason))
        return Fail(file + ": cannot read the file: " + reason + ".");
    // The whole file is checked before anything is changed.
    std::vector<RegFileRecord> records;
    if (auto error = ParseRegFile(bytes, records, CP_ACP))
        return Fail(file + ":" + std::to_string(error->line) + ": " + error->message);
    for (const RegFileRecord& record : records)
        if (LSTATUS status = ApplyRecord(record, line.view))
            return Fail(file + ":" + std::to_string(record.line) + ": " + ErrorText(status));
    return Done();
}

// A registry file as regedit writes it: UTF-16LE with its byte-order mark
// and CR LF line ends.
std::string RegeditFile(const std::string& utf8) {
    std::string crlf;
    for (char c : utf8) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : hostwin::Utf32ToUtf16(hostwin::Utf8ToUtf32(crlf))) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

int Export(const CommandLine& line) {
    auto name = KeyArgument(line);
    if (!name) return 1;
    const std::string& file = line.positional[1];
    OpenedKey key;
    if (LSTATUS status = key.Open(name->root, name->path, line.view)) return Fail(status);
    struct stat info;
    if (!line.force && stat(file.c_str(), &info) == 0) {
        std::optional<bool> overwrite = Ask("File " + file + " already exists. Overwrite");
        if (!overwrite)
            return Fail(file +
                        " exists already and there is no terminal to ask; add /y to overwrite it.");
        if (!*overwrite) return Cancelled();
    }
    std::string text;
    if (LSTATUS status = ExportKey(key.Handle(), text)) return Fail(status);
    DWORD error = 0;
    if (!hostwin::ReplaceFileContents(file, RegeditFile(text), error))
        return Fail(file + ": cannot write the file (Windows error " + std::to_string(error) +
                    ").");
    return Done();
}

} // namespace hostwin_reg
