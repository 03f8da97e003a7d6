// kernel32: file searches. FindFirstFileA lists one directory and keeps the
// names that match the pattern's last component, with * and ? matched
// without regard to case as Windows matches them; "." and ".." come first
// in every directory but a drive's root.
#include "hostwin/windows.h"

#include "codepage.h"
#include "files.h"
#include "handles.h"
#include "journal.h"
#include "machine.h"
#include "paths.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <vector>

using namespace hostwin;

namespace {

class SearchObject : public KernelObject {
public:
    explicit SearchObject(std::vector<WIN32_FIND_DATAA> entries) : entries_(std::move(entries)) {}
    // The next entry, or null at the end of the list.
    const WIN32_FIND_DATAA* Next() {
        return next_ < entries_.size() ? &entries_[next_++] : nullptr;
    }

private:
    std::vector<WIN32_FIND_DATAA> entries_;
    size_t next_ = 0;
};

std::u32string Folded(std::string_view ansi) {
    std::u32string text = DecodeCodePage(CP_ACP, ansi);
    for (char32_t& c : text)
        c = UnicodeToLower(c);
    return text;
}

// Glob matching over characters: * any run, ? exactly one character.
bool GlobMatch(std::u32string_view pattern, std::u32string_view name) {
    size_t p = 0, n = 0, starP = std::u32string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == U'*') {
            starP = p++;
            starN = n;
        } else if (starP != std::u32string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

// Windows' name matching: besides the glob, a pattern ending in ".*" also
// matches names without an extension ("*.*" matches everything), and one
// ending in "." matches only names without one.
bool NameMatches(const std::u32string& pattern, const std::u32string& name) {
    if (GlobMatch(pattern, name)) return true;
    if (pattern.size() >= 2 && pattern.ends_with(U".*"))
        return GlobMatch(std::u32string_view(pattern).substr(0, pattern.size() - 2), name);
    if (pattern.size() >= 2 && pattern.back() == U'.' && name.find(U'.') == std::u32string::npos)
        return GlobMatch(std::u32string_view(pattern).substr(0, pattern.size() - 1), name);
    return false;
}

// Splits a search pattern into its directory (with its trailing separator or
// drive colon) and its last component.
std::pair<std::string, std::string> SplitPattern(std::string_view pattern) {
    size_t nameStart = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c == '\\' || c == '/' || (c == ':' && i == 1))
            nameStart = i + 1;
        else if (IsLeadByte(CP_ACP, static_cast<BYTE>(c)) && i + 1 < pattern.size())
            ++i;
    }
    return {std::string(pattern.substr(0, nameStart)), std::string(pattern.substr(nameStart))};
}

WIN32_FIND_DATAA EntryData(const std::string& ansiName, const struct stat& info) {
    WIN32_FIND_DATAA data{};
    data.dwFileAttributes = AttributesOf(info);
    data.ftCreationTime = TimespecToFileTime(info.st_ctim);
    data.ftLastAccessTime = TimespecToFileTime(info.st_atim);
    data.ftLastWriteTime = TimespecToFileTime(info.st_mtim);
    uint64_t size = S_ISDIR(info.st_mode) ? 0 : static_cast<uint64_t>(info.st_size);
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size);
    std::memcpy(data.cFileName, ansiName.c_str(), ansiName.size() + 1);
    return data;
}

bool ListsBefore(const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b) {
    auto rank = [](const char* name) {
        return std::strcmp(name, ".") == 0 ? 0 : std::strcmp(name, "..") == 0 ? 1 : 2;
    };
    if (rank(a.cFileName) != rank(b.cFileName)) return rank(a.cFileName) < rank(b.cFileName);
    return Folded(a.cFileName) < Folded(b.cFileName);
}

std::vector<WIN32_FIND_DATAA> MatchingEntries(const std::string& directory,
                                              const std::u32string& pattern) {
    std::vector<WIN32_FIND_DATAA> entries;
    DIR* dir = opendir(directory.c_str());
    if (!dir) return entries;
    bool root = IsPosixDriveRoot(directory);
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        bool dots = name == "." || name == "..";
        if (dots && root) continue;
        std::string ansi = dots ? name : Utf8ToAnsi(name);
        if (ansi.size() >= MAX_PATH || !NameMatches(pattern, Folded(ansi))) continue;
        struct stat info;
        std::string full = directory == "/" ? "/" + name : directory + "/" + name;
        if (stat(full.c_str(), &info) != 0) continue; // a dangling link is not listed
        entries.push_back(EntryData(ansi, info));
    }
    closedir(dir);
    std::sort(entries.begin(), entries.end(), ListsBefore);
    return entries;
}

// Records a search the program made: the pattern, the host directory it
// looked in (null when the directory does not exist), the first name found
// (null for none) with its attributes, and the Win32 error (0 when found).
void JournalSearch(LPCSTR pattern, const std::optional<std::string>& directory,
                   const WIN32_FIND_DATAA* first, DWORD error) {
    if (!JournalEnabled()) return;
    JournalEntry entry("file_find");
    entry.Text("pattern", pattern);
    if (directory) {
        entry.Utf8("host_directory", *directory);
    } else {
        entry.Null("host_directory");
    }
    entry.TextOrNull("found", first ? first->cFileName : nullptr);
    if (first) {
        entry.Number("attributes", first->dwFileAttributes);
    } else {
        entry.Null("attributes");
    }
    entry.Number("error", error);
}

} // namespace

extern "C" {

HANDLE WINAPI FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
    if (!pattern || !data) return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
    if (!*pattern) return Fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
    auto [directoryPart, namePattern] = SplitPattern(pattern);
    auto directory = WindowsToPosix(directoryPart.empty() ? "." : directoryPart);
    if (!directory || !PosixDirectoryExists(*directory)) {
        JournalSearch(pattern, std::nullopt, nullptr, ERROR_PATH_NOT_FOUND);
        return Fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
    }
    if (namePattern.empty()) {
        JournalSearch(pattern, directory, nullptr, ERROR_FILE_NOT_FOUND);
        return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
    }
    auto search = std::make_shared<SearchObject>(MatchingEntries(*directory, Folded(namePattern)));
    const WIN32_FIND_DATAA* first = search->Next();
    JournalSearch(pattern, directory, first, first ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
    if (!first) return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
    *data = *first;
    return AllocateHandle(search);
}

BOOL WINAPI FindNextFileA(HANDLE handle, LPWIN32_FIND_DATAA data) {
    auto search = LookupHandleAs<SearchObject>(handle);
    if (!search || !data) return Fail(ERROR_INVALID_HANDLE, FALSE);
    const WIN32_FIND_DATAA* next = search->Next();
    if (!next) return Fail(ERROR_NO_MORE_FILES, FALSE);
    *data = *next;
    return TRUE;
}

BOOL WINAPI FindClose(HANDLE handle) {
    if (!LookupHandleAs<SearchObject>(handle)) return Fail(ERROR_INVALID_HANDLE, FALSE);
    ReleaseHandle(handle);
    return TRUE;
}

} // extern "C"
