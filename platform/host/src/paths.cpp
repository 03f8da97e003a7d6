#include "paths.h"

#include "ascii.h"
#include "codepage.h"
#include "machine.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace hostwin {
namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// Splits a Windows path (after its drive) into components, resolving "." and
// ".." lexically as Windows does.
std::vector<std::string> SplitComponents(std::string_view path, std::vector<std::string> base) {
    size_t i = 0;
    while (i <= path.size()) {
        size_t end = i;
        while (end < path.size() && !IsSeparator(path[end])) {
            // A trail byte of a double-byte character may have the backslash's code.
            bool lead = IsLeadByte(CP_ACP, static_cast<BYTE>(path[end]));
            end += lead && end + 1 < path.size() ? 2 : 1;
        }
        if (end > path.size()) end = path.size();
        std::string component(path.substr(i, end - i));
        // Windows drops trailing dots and spaces of a name ("a.txt." is "a.txt").
        if (component != "." && component != "..") {
            size_t kept = component.find_last_not_of(". ");
            component.resize(kept == std::string::npos ? 0 : kept + 1);
        }
        if (component == "..") {
            if (!base.empty()) base.pop_back();
        } else if (!component.empty() && component != ".") {
            base.push_back(component);
        }
        i = end + 1;
    }
    return base;
}

std::vector<std::string> SplitPosix(std::string_view posix) {
    std::vector<std::string> parts;
    size_t i = 0;
    while (i < posix.size()) {
        size_t end = posix.find('/', i);
        if (end == std::string_view::npos) end = posix.size();
        if (end > i) parts.emplace_back(posix.substr(i, end - i));
        i = end + 1;
    }
    return parts;
}

// Finds an entry of directory whose name equals name (UTF-8) without regard to case.
std::optional<std::string> MatchEntry(const std::string& directory, const std::string& name) {
    struct stat info;
    std::string exact = directory == "/" ? "/" + name : directory + "/" + name;
    if (lstat(exact.c_str(), &info) == 0) return name;
    DIR* dir = opendir(directory.c_str());
    if (!dir) return std::nullopt;
    std::optional<std::string> found;
    while (dirent* entry = readdir(dir)) {
        if (EqualIgnoringCaseUtf8(entry->d_name, name)) {
            found = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

std::string Join(const std::string& root, const std::vector<std::string>& parts) {
    std::string out = root;
    for (const std::string& part : parts) {
        if (out.empty() || out.back() != '/') out += '/';
        out += part;
    }
    return out.empty() ? "/" : out;
}

struct DrivePath {
    char drive;                          // upper-case drive letter
    std::vector<std::string> components; // ANSI components below the drive root
};

// The current directory as a drive and components.
std::optional<DrivePath> CurrentDrivePath() {
    std::string windows = PosixToWindows(PosixCurrentDirectory());
    if (windows.size() < 2 || windows[1] != ':') return std::nullopt;
    return DrivePath{windows[0], SplitComponents(std::string_view(windows).substr(2), {})};
}

std::optional<DrivePath> ParseWindowsPath(std::string_view path) {
    if (path.empty()) return std::nullopt;
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]))
        return std::nullopt; // UNC and device paths are not mapped
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
        char drive = AsciiUpper(path[0]);
        std::string_view rest = path.substr(2);
        // A full path does not depend on the current directory: no need to ask for it.
        if (!rest.empty() && IsSeparator(rest[0]))
            return DrivePath{drive, SplitComponents(rest, {})};
        // Drive-relative: relative to the current directory when it is on that drive.
        auto current = CurrentDrivePath();
        std::vector<std::string> base;
        if (current && current->drive == drive) base = current->components;
        return DrivePath{drive, SplitComponents(rest, base)};
    }
    auto current = CurrentDrivePath();
    if (!current) return std::nullopt;
    if (IsSeparator(path[0])) return DrivePath{current->drive, SplitComponents(path, {})};
    return DrivePath{current->drive, SplitComponents(path, current->components)};
}

// The link that maps a drive in the prefix: dosdevices/x: (as in a Wine prefix).
std::string DriveLinkPath(char drive) {
    return TheMachine().prefix + "/dosdevices/" + AsciiLower(drive) + ":";
}

bool HasDriveLink(char drive) {
    struct stat info;
    return lstat(DriveLinkPath(drive).c_str(), &info) == 0;
}

// The POSIX directory of a drive: its link's target, resolved (a relative
// target is relative to the dosdevices directory); a link decides even when
// its target is missing (then the drive is not there). Without a link, C: is
// drive_c and Z: the root.
std::optional<std::string> DriveRoot(char drive) {
    if (HasDriveLink(drive)) {
        char resolved[PATH_MAX];
        if (!realpath(DriveLinkPath(drive).c_str(), resolved) || !PosixDirectoryExists(resolved))
            return std::nullopt;
        return std::string(resolved);
    }
    if (drive == 'C') return DriveCPath();
    if (drive == 'Z') return std::string("/");
    return std::nullopt;
}

struct Drive {
    char letter;
    std::vector<std::string> root; // the POSIX components of its directory
};

// Every drive there is, in letter order. A linked drive also answers to the
// link's own path, so that a path written through the link maps too.
std::vector<Drive> Drives() {
    std::vector<Drive> drives;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        auto root = DriveRoot(letter);
        if (!root) continue;
        drives.push_back({letter, SplitPosix(*root)});
        if (HasDriveLink(letter)) drives.push_back({letter, SplitPosix(DriveLinkPath(letter))});
    }
    return drives;
}

// The drive whose directory holds the POSIX path (the longest such; the
// first letter among equals, as Wine picks), and the number of components of
// its root.
std::pair<char, size_t> DriveHolding(const std::vector<std::string>& parts) {
    std::pair<char, size_t> best{0, 0};
    for (const Drive& drive : Drives()) {
        bool holds = parts.size() >= drive.root.size() &&
                     std::equal(drive.root.begin(), drive.root.end(), parts.begin());
        if (holds && (!best.first || drive.root.size() > best.second))
            best = {drive.letter, drive.root.size()};
    }
    return best;
}

} // namespace

bool IsPosixDriveRoot(const std::string& posixDirectory) {
    std::vector<std::string> parts = SplitPosix(posixDirectory);
    auto [letter, depth] = DriveHolding(parts);
    return letter && depth == parts.size();
}

std::string PosixCurrentDirectory() {
    std::vector<char> buffer(4096);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (buffer.size() > (1u << 20)) return "/";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

std::optional<std::string> WindowsToPosix(std::string_view ansiPath) {
    auto parsed = ParseWindowsPath(ansiPath);
    if (!parsed) return std::nullopt;
    auto root = DriveRoot(parsed->drive);
    if (!root) return std::nullopt;
    std::string current = *root;
    bool exists = true;
    for (const std::string& ansiComponent : parsed->components) {
        std::string name = AnsiToUtf8(ansiComponent);
        if (exists) {
            if (auto match = MatchEntry(current, name)) {
                name = *match;
            } else {
                exists = false;
            }
        }
        current = Join(current, {name});
    }
    return current;
}

namespace {

// The Windows form of an absolute POSIX path, each name converted by `name`
// from UTF-8 into the string type of the result.
template <typename Text, typename Convert>
Text WindowsFormOf(std::string_view posixPath, Convert name) {
    std::vector<std::string> parts = SplitPosix(posixPath);
    auto [letter, first] = DriveHolding(parts);
    // Outside every drive (a prefix whose z: link names another directory):
    // shown on Z: as if it were the root, the nearest the ANSI form can say.
    if (!letter) letter = 'Z', first = 0;
    Text out = name(std::string(1, letter) + ":");
    if (first == parts.size()) return out + name("\\");
    for (size_t i = first; i < parts.size(); ++i)
        out += name("\\") + name(parts[i]);
    return out;
}

} // namespace

std::string PosixToWindows(std::string_view posixPath) {
    return WindowsFormOf<std::string>(posixPath,
                                      [](std::string_view utf8) { return Utf8ToAnsi(utf8); });
}

std::u16string PosixToWindowsWide(std::string_view posixPath) {
    return WindowsFormOf<std::u16string>(
        posixPath, [](std::string_view utf8) { return Utf32ToUtf16(Utf8ToUtf32(utf8)); });
}

std::optional<std::string> FullWindowsPath(std::string_view ansiPath) {
    auto parsed = ParseWindowsPath(ansiPath);
    if (!parsed) return std::nullopt;
    // The drive letter keeps the case it was written in.
    bool hasDrive = ansiPath.size() >= 2 && ansiPath[1] == ':';
    std::string out(1, hasDrive ? ansiPath[0] : parsed->drive);
    out += ":";
    if (parsed->components.empty()) return out + "\\";
    for (const std::string& part : parsed->components)
        out += "\\" + part;
    if (IsSeparator(ansiPath.back())) out += "\\";
    return out;
}

std::optional<std::string> LongWindowsPath(std::string_view ansiPath, DWORD& error) {
    error = ERROR_PATH_NOT_FOUND;
    if (ansiPath.empty() ||
        (ansiPath.size() >= 2 && IsSeparator(ansiPath[0]) && IsSeparator(ansiPath[1])))
        return std::nullopt;
    auto current = CurrentDrivePath();
    std::string directory;
    size_t start = 0;
    if (ansiPath.size() >= 2 && ansiPath[1] == ':' &&
        std::isalpha(static_cast<unsigned char>(ansiPath[0]))) {
        char drive = AsciiUpper(ansiPath[0]);
        auto root = DriveRoot(drive);
        if (!root) return std::nullopt;
        bool rooted = ansiPath.size() > 2 && IsSeparator(ansiPath[2]);
        directory = !rooted && current && current->drive == drive ? PosixCurrentDirectory() : *root;
        start = 2;
    } else if (IsSeparator(ansiPath[0])) {
        auto root = current ? DriveRoot(current->drive) : std::nullopt;
        if (!root) return std::nullopt;
        directory = *root;
    } else {
        directory = PosixCurrentDirectory();
    }
    // Copies the separators as written and replaces each name by its real spelling.
    std::string out(ansiPath.substr(0, start));
    size_t i = start;
    while (i < ansiPath.size()) {
        if (IsSeparator(ansiPath[i])) {
            out += ansiPath[i++];
            continue;
        }
        size_t end = i;
        while (end < ansiPath.size() && !IsSeparator(ansiPath[end]))
            end += IsLeadByte(CP_ACP, static_cast<BYTE>(ansiPath[end])) ? 2 : 1;
        end = std::min(end, ansiPath.size());
        std::string component(ansiPath.substr(i, end - i));
        i = end;
        if (component == ".") {
            out += component;
            continue;
        }
        if (component == "..") {
            size_t slash = directory.find_last_of('/');
            directory = slash == 0 || slash == std::string::npos ? "/" : directory.substr(0, slash);
            out += component;
            continue;
        }
        auto match = PosixDirectoryExists(directory) ? MatchEntry(directory, AnsiToUtf8(component))
                                                     : std::nullopt;
        if (!match) {
            if (PosixDirectoryExists(directory)) error = ERROR_FILE_NOT_FOUND;
            return std::nullopt;
        }
        directory = Join(directory, {*match});
        out += Utf8ToAnsi(*match);
    }
    return out;
}

bool PosixFileExists(const std::string& posixPath) {
    struct stat info;
    return stat(posixPath.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool PosixDirectoryExists(const std::string& posixPath) {
    struct stat info;
    return stat(posixPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace hostwin
