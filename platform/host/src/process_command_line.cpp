#include "process_command_line.h"

#include "codepage.h"
#include "modules.h"
#include "paths.h"

#include <cctype>
#include <cstdlib>

namespace hostwin {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Names that Windows resolves against the current directory only.
bool IsExplicitPath(std::string_view name) {
    if (name.empty()) return false;
    if (IsSeparator(name[0])) return true; // rooted or UNC
    if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0])))
        return true; // with a drive
    if (name.size() >= 2 && name[0] == '.' && IsSeparator(name[1])) return true;
    return name.size() >= 3 && name[0] == '.' && name[1] == '.' && IsSeparator(name[2]);
}

// True when the last component of the name has a dot (double-byte aware:
// a trail byte may have the backslash's code).
bool HasExtension(std::string_view name) {
    bool dot = false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (IsLeadByte(CP_ACP, static_cast<BYTE>(name[i]))) {
            ++i;
            continue;
        }
        if (IsSeparator(name[i])) dot = false;
        if (name[i] == '.') dot = true;
    }
    return dot;
}

// True when the name's last character is a separator; the trail byte of a
// double-byte character (0x5C of "\x83\x5C") is not one.
bool EndsWithSeparator(std::string_view name) {
    bool separator = false;
    for (size_t i = 0; i < name.size(); ++i) {
        const bool lead = IsLeadByte(CP_ACP, static_cast<BYTE>(name[i]));
        separator = !lead && IsSeparator(name[i]);
        if (lead) ++i; // the trail byte belongs to the character
    }
    return separator;
}

std::string ExistingFile(const std::string& windowsPath) {
    auto posix = WindowsToPosix(windowsPath);
    return posix && PosixFileExists(*posix) ? *posix : std::string();
}

std::string DirectoryOf(const std::string& posixPath) {
    size_t slash = posixPath.rfind('/');
    return slash == std::string::npos ? std::string(".") : posixPath.substr(0, slash + 1);
}

std::vector<std::string> SearchDirectories(const std::string& programFolder) {
    std::vector<std::string> directories = {
        programFolder,           PosixToWindows(PosixCurrentDirectory()),
        "C:\\windows\\system32", "C:\\windows\\system",
        "C:\\windows",
    };
    // PATH is the host's, a list of POSIX directories.
    if (const char* path = std::getenv("PATH")) {
        std::string_view rest(path);
        while (!rest.empty()) {
            size_t colon = rest.find(':');
            std::string_view entry = rest.substr(0, colon);
            if (!entry.empty() && entry[0] == '/') directories.push_back(PosixToWindows(entry));
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        }
    }
    return directories;
}

// Calls visit with each Windows path a program name may mean, in the order
// they are tried (".exe" appended first when the name has no extension),
// until visit returns true; true when it did.
bool ForEachNameCandidate(std::string_view ansiName, const std::string& programFolder,
                          const std::function<bool(const std::string&, bool)>& visit) {
    if (ansiName.empty()) return false;
    std::string name(ansiName);
    bool appendExe = !HasExtension(name);
    auto tryPath = [&](const std::string& path) {
        return (appendExe && visit(path + ".exe", true)) || visit(path, false);
    };
    if (IsExplicitPath(name)) return tryPath(name);
    for (std::string directory : SearchDirectories(programFolder)) {
        if (directory.empty()) continue;
        if (!EndsWithSeparator(directory)) directory += '\\';
        if (tryPath(directory + name)) return true;
    }
    return false;
}

} // namespace

std::string OwnProgramFolder() {
    return PosixToWindows(DirectoryOf(ProgramPosixPath()));
}

std::string SearchProgram(std::string_view ansiName) {
    std::string found;
    ForEachNameCandidate(ansiName, OwnProgramFolder(), [&](const std::string& path, bool) {
        found = ExistingFile(path);
        return !found.empty();
    });
    return found;
}

void ForEachProgramCandidate(std::string_view line, const std::string& programFolder,
                             const std::function<bool(const ProgramCandidate&)>& visit) {
    auto tryName = [&](std::string_view name, size_t argumentsStart) {
        return ForEachNameCandidate(
            name, programFolder, [&](const std::string& path, bool appended) {
                return visit(ProgramCandidate{path, argumentsStart, appended});
            });
    };
    size_t start = 0;
    while (start < line.size() && IsBlank(line[start]))
        ++start;
    if (start < line.size() && line[start] == '"') {
        size_t close = line.find('"', start + 1);
        std::string_view name =
            line.substr(start + 1, close == std::string_view::npos ? std::string_view::npos
                                                                   : close - start - 1);
        tryName(name, close == std::string_view::npos ? line.size() : close + 1);
        return;
    }
    // Blanks and quotes are ASCII, below every trail byte, so scanning bytes is safe.
    for (size_t end = start + 1; end <= line.size(); ++end) {
        if (end < line.size() && !IsBlank(line[end])) continue;
        if (IsBlank(line[end - 1])) continue;
        if (tryName(line.substr(start, end - start), end)) return;
    }
}

DWORD LocateProgram(std::string_view line, const std::string& programFolder,
                    ProgramLocation& location) {
    location = ProgramLocation{};
    ForEachProgramCandidate(line, programFolder, [&](const ProgramCandidate& candidate) {
        location.posixPath = ExistingFile(candidate.windowsPath);
        location.argumentsStart = candidate.argumentsStart;
        return !location.posixPath.empty();
    });
    return location.posixPath.empty() ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
}

DWORD LocateProgram(std::string_view line, ProgramLocation& location) {
    return LocateProgram(line, OwnProgramFolder(), location);
}

size_t EndOfFirstToken(std::string_view line) {
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    if (i < line.size() && line[i] == '"') {
        size_t close = line.find('"', i + 1);
        return close == std::string_view::npos ? line.size() : close + 1;
    }
    while (i < line.size() && !IsBlank(line[i]))
        ++i;
    return i;
}

std::vector<std::string> SplitArguments(std::string_view text) {
    std::vector<std::string> arguments;
    size_t i = 0;
    for (;;) {
        while (i < text.size() && IsBlank(text[i]))
            ++i;
        if (i == text.size()) break;
        std::string argument;
        bool quoted = false;
        while (i < text.size() && (quoted || !IsBlank(text[i]))) {
            char c = text[i];
            if (c == '\\') {
                size_t count = 0;
                while (i < text.size() && text[i] == '\\') {
                    ++count;
                    ++i;
                }
                bool beforeQuote = i < text.size() && text[i] == '"';
                argument.append(beforeQuote ? count / 2 : count, '\\');
                if (beforeQuote && count % 2 == 1) {
                    argument += '"';
                    ++i;
                }
                continue;
            }
            if (c == '"') {
                if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
                continue;
            }
            argument += c;
            ++i;
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

} // namespace hostwin
