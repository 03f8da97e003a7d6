// hostwin-ask program: the program a command line starts, found by the
// host's own lookup (the one CreateProcessA uses), and every place it tried.
#include "ask.h"

#include "codepage.h"
#include "json_object.h"
#include "paths.h"
#include "process_command_line.h"

#include <cstdio>
#include <optional>
#include <unistd.h>

namespace hostwin_ask {
namespace {

int Usage(const std::string& message) {
    std::fprintf(stderr, "hostwin-ask program: %s (see hostwin-ask --help)\n", message.c_str());
    return 2;
}

// The POSIX path of a Windows path, or the JSON null when the host maps it
// to no file of this system (another drive, a UNC name).
std::string PosixOrNull(const std::string& windowsPath) {
    auto posix = hostwin::WindowsToPosix(windowsPath);
    if (!posix) return "null";
    std::string json;
    hostwin::AppendJsonString(json, *posix);
    return json;
}

// A folder given as a Windows path, or as a POSIX path (beginning with a
// slash): its Windows form (ANSI) and its POSIX path, when the machine has one.
struct Folder {
    std::string windows;
    std::optional<std::string> posix;
};

Folder FolderOf(const std::string& utf8) {
    if (!utf8.empty() && utf8[0] == '/') return {hostwin::PosixToWindows(utf8), utf8};
    std::string windows = hostwin::Utf8ToAnsi(utf8);
    return {windows, hostwin::WindowsToPosix(windows)};
}

} // namespace

int AskProgram(const std::vector<std::string>& arguments) {
    std::string programFolder = hostwin::OwnProgramFolder();
    std::optional<Folder> currentFolder;
    std::optional<std::string> commandLine;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--program-folder" || argument == "--current-folder") {
            if (i + 1 == arguments.size()) return Usage(argument + " needs a folder");
            Folder folder = FolderOf(arguments[++i]);
            if (argument == "--program-folder")
                programFolder = folder.windows;
            else
                currentFolder = folder;
        } else if (!commandLine) {
            commandLine = hostwin::Utf8ToAnsi(argument);
        } else {
            return Usage("one command line only (quote it)");
        }
    }
    if (!commandLine) return Usage("no command line");
    // The lookup's current folder is the process's own, as a starter's is.
    if (currentFolder && (!currentFolder->posix || chdir(currentFolder->posix->c_str()) != 0))
        return Fail(hostwin::AnsiToUtf8(currentFolder->windows) +
                    ": no such folder on this machine");
    std::string tried = "[";
    hostwin::ForEachProgramCandidate(
        *commandLine, programFolder, [&](const hostwin::ProgramCandidate& candidate) {
            JsonObject place;
            place.Utf8("windows", hostwin::AnsiToUtf8(candidate.windowsPath))
                .Raw("posix", PosixOrNull(candidate.windowsPath))
                .Bool("exe_appended", candidate.exeAppended)
                .Utf8("arguments",
                      hostwin::AnsiToUtf8(commandLine->substr(candidate.argumentsStart)));
            tried += (tried.size() > 1 ? ", " : "") + place.Close();
            return false;
        });
    tried += "]";
    JsonObject answer;
    hostwin::ProgramLocation location;
    if (hostwin::LocateProgram(*commandLine, programFolder, location) == ERROR_SUCCESS) {
        answer.Bool("found", true)
            .Utf8("windows", hostwin::AnsiToUtf8(hostwin::PosixToWindows(location.posixPath)))
            .Utf8("posix", location.posixPath)
            .Utf8("arguments", hostwin::AnsiToUtf8(commandLine->substr(location.argumentsStart)));
    } else {
        answer.Bool("found", false);
    }
    std::puts(answer.Raw("tried", tried).Close().c_str());
    return 0;
}

} // namespace hostwin_ask
