// Stands for the uninstaller that an installed product registers. It records
// how it was started (marker "uninstall.ran" beside it) and then follows
// "uninstall.do" (UTF-8) beside it, when there is one, line by line:
//   delete KEY    deletes the key below HKEY_LOCAL_MACHINE (named in Unicode,
//                 as an installer of any code page names it)
//   wait MS       waits MS milliseconds (shows whether the launcher waits
//                 for the uninstaller to end)
//   broadcast     tells every top-level window that the environment changed
//                 (WM_SETTINGCHANGE sent to HWND_BROADCAST, which waits for
//                 each window's answer), as installers do
//   exit N        its exit code (default 3: the launcher does not look at it)
//   hand-off MS   starts a second process of itself and ends at once; that
//                 process, left behind, waits MS and then follows the other
//                 lines, and marks "second.ran" when done, as uninstallers
//                 that hand their work to a copy of themselves do
// Without the file it leaves everything as it is (a user who cancelled the
// removal). Keys are deleted in the program's own registry view, as its
// installer wrote them.
#include "marker.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The words of the command line after the program's own name (no quoting
// beyond what the suite's fixtures use: words separated by spaces).
std::vector<std::string> Arguments() {
    std::string line = GetCommandLineA();
    size_t at = 0;
    if (!line.empty() && line[0] == '"')
        at = line.find('"', 1) + 1;
    else
        at = line.find(' ');
    std::vector<std::string> words;
    while (at != std::string::npos && at < line.size()) {
        size_t start = line.find_first_not_of(' ', at);
        if (start == std::string::npos) break;
        size_t end = line.find(' ', start);
        words.push_back(line.substr(start, end == std::string::npos ? end : end - start));
        at = end;
    }
    return words;
}

// The lines of uninstall.do beside the program.
std::vector<std::string> Instructions() {
    std::ifstream file(stand_in::ProgramDirectory() + "uninstall.do");
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Starts this program again as the second process ("second-process MS") and
// does not wait for it. False when it could not be started.
bool StartSecondProcess(const std::string& delayMs) {
    char path[stand_in::PathRoom] = {};
    GetModuleFileNameA(nullptr, path, stand_in::PathRoom);
    std::string command = std::string("\"") + path + "\" second-process " + delayMs;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// Deletes HKEY_LOCAL_MACHINE\\key, the key named in UTF-8.
void DeleteKeyNamedInUtf8(const std::string& key) {
    int length = MultiByteToWideChar(CP_UTF8, 0, key.c_str(), -1, nullptr, 0);
    if (length <= 0) return;
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, key.c_str(), -1, wide.data(), length);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, wide.c_str());
}

// Follows uninstall.do; its exit code, or 3 without one. The second process
// (second) follows the other lines whatever "hand-off" says.
int FollowInstructions(bool second) {
    int code = 3;
    std::string handOff;
    for (const std::string& line : Instructions()) {
        if (line.rfind("exit ", 0) == 0)
            code = std::atoi(line.c_str() + 5);
        else if (line.rfind("hand-off ", 0) == 0)
            handOff = line.substr(9);
    }
    if (!second && !handOff.empty()) return StartSecondProcess(handOff) ? code : 1;
    for (const std::string& line : Instructions()) {
        if (line.rfind("delete ", 0) == 0) DeleteKeyNamedInUtf8(line.substr(7));
        if (line.rfind("wait ", 0) == 0) Sleep(static_cast<DWORD>(std::atoi(line.c_str() + 5)));
        if (line == "broadcast")
            SendMessageA(HWND_BROADCAST, WM_SETTINGCHANGE, 0,
                         reinterpret_cast<LPARAM>("Environment"));
    }
    return code;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::vector<std::string> words = Arguments();
    if (words.size() == 2 && words[0] == "second-process") {
        Sleep(static_cast<DWORD>(std::atoi(words[1].c_str())));
        FollowInstructions(true);
        stand_in::WriteMarker("second");
        return 0;
    }
    stand_in::WriteMarker("uninstall");
    return FollowInstructions(false);
}
