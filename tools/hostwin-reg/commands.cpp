#include "reg_tool.h"

#include "codepage.h"
#include "registry_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
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

    LSTATUS Open(Root root, const std::string& path) {
        return OpenKey(RootHandle(root), path, KEY_ALL_ACCESS, &key_);
    }
    LSTATUS Create(Root root, const std::string& path) {
        return CreateKey(RootHandle(root), path, KEY_ALL_ACCESS, &key_, nullptr);
    }
    HKEY Handle() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// The key named by the first positional argument, when there are exactly
// `count` of them.
std::optional<KeyName> KeyArgument(const CommandLine& line, size_t count) {
    if (line.positional.size() != count) {
        Fail("Invalid syntax. Type \"hostwin-reg /?\" for usage.");
        return std::nullopt;
    }
    auto key = ParseKeyName(line.positional[0]);
    if (!key)
        Fail("Invalid key name \"" + line.positional[0] + "\": it must begin with HKLM or HKCU.");
    return key;
}

std::string ValueNameOf(const CommandLine& line) {
    return line.valueName ? *line.valueName : "";
}

void PrintValue(const Value& value) {
    std::printf("    %s    %s    %s\n", value.name.empty() ? "(Default)" : value.name.c_str(),
                TypeName(value.type).c_str(), DisplayData(value.type, value.data).c_str());
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

// Prints a key's values (or only the one asked for) and its subkeys, or the
// subkeys' sections when recursive. Returns the number of values printed.
int QueryKey(HKEY key, const std::string& fullName, const CommandLine& line) {
    bool oneValue = line.valueName || line.defaultValue;
    std::vector<Value> values = ValuesOf(key);
    int matches = 0;
    for (const Value& value : values) {
        if (oneValue && !hostwin::EqualIgnoringCaseUtf8(value.name, ValueNameOf(line))) continue;
        if (matches++ == 0) std::printf("\n%s\n", fullName.c_str());
        PrintValue(value);
    }
    if (!oneValue && matches == 0) std::printf("\n%s\n", fullName.c_str());
    std::vector<std::string> subkeys = SubkeyNames(key);
    if (!line.recursive) {
        if (!oneValue) {
            if (!subkeys.empty()) std::printf("\n");
            for (const std::string& name : subkeys)
                std::printf("%s\\%s\n", fullName.c_str(), name.c_str());
        }
        return matches;
    }
    for (const std::string& name : subkeys) {
        HKEY subkey = nullptr;
        if (OpenKey(key, name, KEY_ALL_ACCESS, &subkey) != ERROR_SUCCESS) continue;
        matches += QueryKey(subkey, fullName + "\\" + name, line);
        CloseKey(subkey);
    }
    return matches;
}

// Deletes a key with everything below it, deepest keys first.
LSTATUS DeleteTree(Root root, const std::string& path) {
    {
        OpenedKey key;
        if (LSTATUS status = key.Open(root, path)) return status;
        for (const std::string& name : SubkeyNames(key.Handle()))
            if (LSTATUS status = DeleteTree(root, path + "\\" + name)) return status;
    }
    return DeleteKey(RootHandle(root), path, kCaller);
}

// Reads a whole file; false with the reason (a directory is no file).
bool ReadFile(const std::string& name, std::string& bytes, std::string& reason) {
    int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (fd >= 0 && fstat(fd, &info) == 0 && S_ISDIR(info.st_mode))
        errno = EISDIR;
    else if (fd >= 0) {
        char chunk[65536];
        ssize_t got;
        while ((got = read(fd, chunk, sizeof chunk)) > 0)
            bytes.append(chunk, static_cast<size_t>(got));
        if (got == 0) {
            close(fd);
            return true;
        }
    }
    reason = std::strerror(errno);
    if (fd >= 0) close(fd);
    return false;
}

std::string JoinPath(const std::vector<std::string>& path) {
    std::string joined;
    for (const std::string& component : path)
        joined += (joined.empty() ? "" : "\\") + component;
    return joined;
}

LSTATUS ApplyRecord(const RegFileRecord& record) {
    std::string path = JoinPath(record.path);
    if (record.kind == RegFileRecord::kDeleteKey) {
        LSTATUS status = DeleteTree(record.root, path);
        return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
    }
    OpenedKey key;
    if (record.kind == RegFileRecord::kDeleteValue) {
        if (key.Open(record.root, path) != ERROR_SUCCESS) return ERROR_SUCCESS;
        LSTATUS status = DeleteValue(key.Handle(), record.valueName, kCaller);
        return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
    }
    if (LSTATUS status = key.Create(record.root, path)) return status;
    if (record.kind == RegFileRecord::kKey) return ERROR_SUCCESS;
    return SetValue(key.Handle(), record.valueName, record.type, record.data, kCaller);
}

} // namespace

int Query(const CommandLine& line) {
    auto name = KeyArgument(line, 1);
    if (!name) return 1;
    OpenedKey key;
    if (LSTATUS status = key.Open(name->root, name->path)) return Fail(status);
    int matches = QueryKey(key.Handle(), name->Full(), line);
    if ((line.valueName || line.defaultValue) && matches == 0) return Fail(ERROR_FILE_NOT_FOUND);
    if (line.recursive && (line.valueName || line.defaultValue))
        std::printf("End of search: %d match(es) found.\n", matches);
    std::printf("\n");
    return 0;
}

int Add(const CommandLine& line) {
    auto name = KeyArgument(line, 1);
    if (!name) return 1;
    std::optional<DWORD> type = TypeFromName(line.type.value_or("REG_SZ"));
    if (!type) return Fail("Invalid type \"" + *line.type + "\".");
    std::string stored, error;
    if (!EncodeData(*type, line.data.value_or(""), line.separator.value_or("\\0"), stored, error))
        return Fail(error);
    OpenedKey key;
    if (LSTATUS status = key.Create(name->root, name->path)) return Fail(status);
    // Without /v, /ve, /t or /d only the key is made.
    if (!line.valueName && !line.defaultValue && !line.type && !line.data) return Done();
    Value existing;
    if (!line.force && QueryValue(key.Handle(), ValueNameOf(line), existing) == ERROR_SUCCESS)
        return Fail("The value exists already; add /f to overwrite it.");
    if (LSTATUS status = SetValue(key.Handle(), ValueNameOf(line), *type, stored, kCaller))
        return Fail(status);
    return Done();
}

int Delete(const CommandLine& line) {
    auto name = KeyArgument(line, 1);
    if (!name) return 1;
    if (!line.valueName && !line.defaultValue && !line.allValues) {
        if (name->path.empty()) return Fail(ERROR_ACCESS_DENIED); // a hive
        if (LSTATUS status = DeleteTree(name->root, name->path)) return Fail(status);
        return Done();
    }
    OpenedKey key;
    if (LSTATUS status = key.Open(name->root, name->path)) return Fail(status);
    std::vector<std::string> names;
    if (line.allValues) {
        for (const Value& value : ValuesOf(key.Handle()))
            names.push_back(value.name);
    } else {
        names.push_back(ValueNameOf(line));
    }
    for (const std::string& valueName : names)
        if (LSTATUS status = DeleteValue(key.Handle(), valueName, kCaller)) return Fail(status);
    return Done();
}

int Import(const CommandLine& line) {
    if (line.positional.size() != 1) return Fail("Invalid syntax: hostwin-reg import FILE");
    const std::string& file = line.positional[0];
    std::string bytes, reason;
    if (!ReadFile(file, bytes, reason))
        return Fail(file + ": cannot read the file: " + reason + ".");
    // The whole file is checked before anything is changed.
    std::vector<RegFileRecord> records;
    if (auto error = ParseRegFile(bytes, records))
        return Fail(file + ":" + std::to_string(error->line) + ": " + error->message);
    for (const RegFileRecord& record : records)
        if (LSTATUS status = ApplyRecord(record))
            return Fail(file + ":" + std::to_string(record.line) + ": " + ErrorText(status));
    return Done();
}

int Export(const CommandLine& line) {
    auto name = KeyArgument(line, 2);
    if (!name) return 1;
    const std::string& file = line.positional[1];
    struct stat info;
    if (!line.force && stat(file.c_str(), &info) == 0)
        return Fail(file + " exists already; add /y to overwrite it.");
    OpenedKey key;
    if (LSTATUS status = key.Open(name->root, name->path)) return Fail(status);
    std::string text;
    if (LSTATUS status = ExportKey(key.Handle(), text)) return Fail(status);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) return Fail("Cannot write " + file + ".");
    return Done();
}

} // namespace hostwin_reg
