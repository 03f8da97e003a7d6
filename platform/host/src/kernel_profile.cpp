// kernel32: the profile functions over INI files. Every call reads the file
// afresh (there is no cache to flush); a write changes only the lines it
// must and replaces the file atomically.
#include "hostwin/windows.h"

#include "codepage.h"
#include "files.h"
#include "hex.h"
#include "journal.h"
#include "profile_text.h"
#include "replace_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace hostwin;

namespace {

// A profile file: its POSIX path, whether it exists, and its text.
struct ProfileFile {
    std::string posix;
    bool exists = false;
    bool readFailed = false; // the file is there but could not be read whole
    ProfileText text;
};

// A file name without any directory names a file in the Windows directory;
// a null name is win.ini. The test for a directory is double-byte aware: a
// Shift-JIS trail byte may have the backslash's code.
std::string ProfileFileName(LPCSTR fileName) {
    if (!fileName || !*fileName) return "C:\\windows\\win.ini";
    for (const char* p = fileName; *p; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':') return fileName;
        if (IsLeadByte(CP_ACP, static_cast<BYTE>(*p)) && p[1]) ++p;
    }
    return std::string("C:\\windows\\") + fileName;
}

// Opens the profile; no value (with the last error set) when its name cannot
// be mapped. A missing file is an empty profile with exists false.
std::optional<ProfileFile> LoadProfile(LPCSTR fileName) {
    std::string name = ProfileFileName(fileName);
    auto path = ResolveFileName(name.c_str());
    if (!path) return std::nullopt;
    ProfileFile file;
    file.posix = path->posix;
    int fd = open(file.posix.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (fd >= 0 && fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode)) {
        std::string bytes;
        // A part of a file is no profile: reads get their defaults and
        // writes fail, so the file is never written back from a part.
        if (ReadWholeFile(fd, bytes)) {
            file.text = ProfileText::Parse(bytes);
            file.exists = true;
        } else {
            file.readFailed = true;
        }
    }
    if (fd >= 0) close(fd);
    return file;
}

// Copies a value: at most size - 1 bytes and a zero; returns the bytes copied.
DWORD CopyValue(std::string_view value, LPSTR buffer, DWORD size) {
    size_t count = std::min<size_t>(value.size(), size - 1);
    if (count) std::memcpy(buffer, value.data(), count);
    buffer[count] = 0;
    return static_cast<DWORD>(count);
}

// Copies a list of names, each ended by a zero, and an empty name after them.
// A list that does not fit in size - 1 bytes is cut to size - 2 bytes and
// ended with a zero; the result is then size - 2 and the buffer's last byte
// is left as it was.
DWORD CopyList(const std::vector<std::string>& names, LPSTR buffer, DWORD size) {
    std::string list;
    for (const std::string& name : names)
        list.append(name).push_back('\0');
    if (list.size() + 1 < size) {
        std::memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = 0;
        return static_cast<DWORD>(list.size());
    }
    if (size == 1) {
        buffer[0] = 0;
        return 0;
    }
    std::memcpy(buffer, list.data(), size - 2);
    buffer[size - 2] = 0;
    return size - 2;
}

// The default as a missing entry returns it: without its trailing spaces.
std::string_view TrimmedDefault(LPCSTR defaultValue) {
    std::string_view text = defaultValue ? defaultValue : "";
    size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

// Starts the journal's record of a profile read: the file as the program
// named it, the host file it resolved to (null when the name maps to none)
// and whether that file was there and read, and the entry asked for.
void DescribeProfileRead(JournalEntry& entry, const char* api, LPCSTR fileName,
                         const ProfileFile* file, LPCSTR section, LPCSTR key) {
    entry.Utf8("api", api).TextOrNull("file", fileName);
    if (file) {
        entry.Utf8("host_path", file->posix);
    } else {
        entry.Null("host_path");
    }
    entry.Bool("found", file && file->exists).TextOrNull("section", section).TextOrNull("key", key);
}

// Records a GetPrivateProfileIntA read and returns its result.
UINT JournalIntRead(LPCSTR fileName, const std::optional<ProfileFile>& file, LPCSTR section,
                    LPCSTR key, INT defaultValue, UINT result) {
    if (!JournalEnabled()) return result;
    JournalEntry entry("profile_read");
    DescribeProfileRead(entry, "GetPrivateProfileIntA", fileName, file ? &*file : nullptr, section,
                        key);
    entry.Number("default", defaultValue).Number("result", result);
    return result;
}

} // namespace

extern "C" {

DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                                      DWORD size, LPCSTR fileName) {
    if (!buffer || size == 0) return 0;
    auto file = LoadProfile(fileName);
    const bool mapped = file.has_value();
    if (!file) file.emplace();
    DWORD result;
    if (!section) {
        result = CopyList(file->text.SectionNames(), buffer, size);
    } else if (!key) {
        // A section without keys, or none, gives the default as it stands.
        auto keys = file->text.KeyNames(TrimBlanks(section));
        result = keys && !keys->empty() ? CopyList(*keys, buffer, size)
                                        : CopyValue(defaultValue ? defaultValue : "", buffer, size);
    } else {
        auto value = file->text.Value(TrimBlanks(section), TrimBlanks(key));
        result = CopyValue(value ? std::string_view(*value) : TrimmedDefault(defaultValue), buffer,
                           size);
    }
    // Which part of the name is missing is asked only when the file is.
    const DWORD error = file->exists       ? ERROR_SUCCESS
                        : file->readFailed ? ERROR_READ_FAULT
                        : mapped           ? MissingNameError(file->posix)
                                           : ERROR_PATH_NOT_FOUND;
    if (JournalEnabled()) {
        JournalEntry entry("profile_read");
        DescribeProfileRead(entry, "GetPrivateProfileStringA", fileName, mapped ? &*file : nullptr,
                            section, key);
        entry.TextOrNull("default", defaultValue)
            .Text("result", std::string_view(buffer, result))
            .Number("error", error);
    }
    SetLastError(error);
    return result;
}

UINT WINAPI GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName) {
    if (!section || !key) return static_cast<UINT>(defaultValue);
    auto file = LoadProfile(fileName);
    auto value = file ? file->text.Value(TrimBlanks(section), TrimBlanks(key)) : std::nullopt;
    if (!value || value->empty())
        return JournalIntRead(fileName, file, section, key, defaultValue,
                              static_cast<UINT>(defaultValue));
    // An optional sign, then "0x" and hexadecimal digits or decimal digits, up
    // to the first other byte; the number wraps around at 32 bits.
    const char* p = value->c_str();
    bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    unsigned base = p[0] == '0' && p[1] == 'x' ? 16 : 10;
    if (base == 16) p += 2;
    uint32_t number = 0;
    for (;; ++p) {
        const int digit = HexDigitValue(*p);
        if (digit < 0 || static_cast<unsigned>(digit) >= base) break;
        number = number * base + static_cast<unsigned>(digit);
    }
    return JournalIntRead(fileName, file, section, key, defaultValue,
                          negative ? 0u - number : number);
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
    // With everything null the call flushes a cache; there is none, and
    // Windows returns FALSE for a flush whatever happens.
    if (!section) return key || value ? Fail(ERROR_FILE_NOT_FOUND, FALSE) : FALSE;
    auto file = LoadProfile(fileName);
    if (!file) return FALSE;
    if (file->readFailed) return Fail(ERROR_READ_FAULT, FALSE);
    struct stat info;
    if (!file->exists) {
        if (stat(file->posix.c_str(), &info) == 0) return Fail(ERROR_ACCESS_DENIED, FALSE);
        DWORD missing = MissingNameError(file->posix);
        if (missing == ERROR_PATH_NOT_FOUND) return Fail(ERROR_PATH_NOT_FOUND, FALSE);
    } else if (stat(file->posix.c_str(), &info) == 0 && IsReadOnlyMode(info.st_mode)) {
        return Fail(ERROR_ACCESS_DENIED, FALSE);
    }
    bool changed = !key     ? file->text.RemoveSection(section)
                   : !value ? file->text.RemoveKey(section, key)
                            : file->text.SetValue(section, key, value);
    if (!changed) return TRUE;
    DWORD error = ERROR_SUCCESS;
    if (!ReplaceFileContents(file->posix, file->text.Serialize(), error)) return Fail(error, FALSE);
    return TRUE;
}

} // extern "C"
