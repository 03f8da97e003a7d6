// Which program file an uninstall command would start, found as process
// creation finds it when it is given no application name.
#include "framework/application/application.h"
#include "launcher/unitmain.h"
#include "system/charscan.h"
#include "system/pathparts.h"

#include <string_view>
#include <vector>

namespace {

// Blanks and quotes are ASCII, below every trail byte: the command line can
// be scanned byte by byte.
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// A name with a drive, a leading separator or a leading ".\" or "..\" is
// taken relative to the current directory only; any other is searched for.
bool IsExplicitPath(const std::string& name) {
    auto separator = [](char c) { return c == '\\' || c == '/'; };
    if (name.empty()) return false;
    if (separator(name[0]) || (name.size() >= 2 && name[1] == ':')) return true;
    if (name.size() >= 2 && name[0] == '.' && separator(name[1])) return true;
    return name.size() >= 3 && name[0] == '.' && name[1] == '.' && separator(name[2]);
}

// A directory with its trailing separator.
std::string AsFolder(const std::string& directory) {
    if (directory.empty() || DirectoryPart(directory).size() == directory.size()) return directory;
    return directory + "\\";
}

template <typename Read> std::string DirectoryOf(Read read) {
    char buffer[MAX_PATH + 1] = {};
    const unsigned length = read(buffer, static_cast<unsigned>(sizeof(buffer)));
    return length > 0 && length < sizeof(buffer) ? AsFolder(std::string(buffer, length))
                                                 : std::string();
}

// The folders process creation searches, in its documented order: the
// program's own folder, the current directory, the 32-bit and the 16-bit
// system folders, the Windows folder. The PATH folders come last and are
// left out: the launcher's own file found through one of them would have
// been found in its own folder first.
std::vector<std::string> SearchFolders() {
    const std::string windows =
        DirectoryOf([](char* buffer, unsigned size) { return GetWindowsDirectoryA(buffer, size); });
    return {
        DirectoryPart(TheApplication->ProgramFilePath()),
        DirectoryOf([](char* buffer, unsigned size) { return GetCurrentDirectoryA(size, buffer); }),
        DirectoryOf([](char* buffer, unsigned size) { return GetSystemDirectoryA(buffer, size); }),
        windows.empty() ? windows : windows + "system\\",
        windows,
    };
}

bool IsFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The file a program name means: ".exe" is tried first when the name has
// no extension, then the name as it stands. Empty when there is none.
std::string ProgramFileOf(const std::string& name) {
    if (name.empty()) return {};
    const bool withExe = !FirstCharScan(NamePart(name).c_str(), '.');
    auto existing = [withExe](const std::string& path) {
        if (withExe && IsFile(path + ".exe")) return path + ".exe";
        return IsFile(path) ? path : std::string();
    };
    if (IsExplicitPath(name)) return existing(name);
    for (const std::string& folder : SearchFolders()) {
        if (folder.empty()) continue;
        if (std::string found = existing(folder + name); !found.empty()) return found;
    }
    return {};
}

// The path in one spelling: full, and each name as it exists (no short
// names), so that two spellings of one file compare equal.
std::string CanonicalPath(const std::string& path) {
    char full[2048];
    const DWORD fullLength = GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
    if (fullLength == 0 || fullLength >= sizeof(full)) return path;
    char spelt[2048];
    const DWORD speltLength = GetLongPathNameA(full, spelt, sizeof(spelt));
    if (speltLength == 0 || speltLength >= sizeof(spelt)) return std::string(full, fullLength);
    return std::string(spelt, speltLength);
}

} // namespace

std::string TFormMain::CommandProgramFile(const std::string& command) {
    size_t start = 0;
    while (start < command.size() && IsBlank(command[start]))
        ++start;
    // A quoted first token is the program's name, whatever follows.
    if (start < command.size() && command[start] == '"') {
        const size_t close = command.find('"', start + 1);
        return ProgramFileOf(
            command.substr(start + 1, close == std::string::npos ? close : close - start - 1));
    }
    // Unquoted, the line is tried up to each blank in turn, shortest first,
    // then whole: "C:\Program Files\a.exe" starts C:\Program.exe when it exists.
    for (size_t end = start + 1; end <= command.size(); ++end) {
        if (end < command.size() && !IsBlank(command[end])) continue;
        if (IsBlank(command[end - 1])) continue;
        if (std::string found = ProgramFileOf(command.substr(start, end - start)); !found.empty())
            return found;
    }
    return {};
}

bool TFormMain::StartsTheLauncher(const std::string& command) {
    const std::string program = CommandProgramFile(command);
    if (program.empty()) return false;
    const std::string a = CanonicalPath(program);
    const std::string b = CanonicalPath(TheApplication->ProgramFilePath());
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                          static_cast<int>(a.size()), b.data(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}
