// Starts the launcher under test and watches its windows, reporting them on
// standard output, one line each:
//
//   started pid=P                         the launcher's process was made, the hook set
//   created pid=P class=C                 a top-level window of the launcher was made
//   shown class=C caption=HEX owner=C style=HEX exstyle=HEX rect=X,Y,W,H texts=HEX,...
//                                         a top-level window of the launcher became visible
//   answered class=C                      the box was confirmed (OK) or the form closed
//   exit code=N                           the launcher's process ended with N
//   timeout                               it did not end in time and was ended (status 2)
//
// Texts are the bytes GetWindowTextA gives (the ANSI code page) in
// hexadecimal, so that Shift-JIS texts compare byte for byte. A box's texts
// are those of its static controls; the form's, none.
//
//   window_watch [--answer-dir DIR] [--timeout SECONDS] --run PROGRAM DIRECTORY
//   window_watch [--answer-dir DIR] [--timeout SECONDS] --adopt
//
// The launcher, PROGRAM with its quoted path as the command line and DIRECTORY
// as its current directory, is made suspended, gets the hook (window_watch_hook
// beside this program, in its process) and only then runs: every window it
// makes is reported, however soon it ends. Every visible box is confirmed with
// OK and the visible main form is closed through its system menu's Close, as a
// user would. With --adopt, the launcher is started by someone else (Wine's
// CreateProcess cannot start a program whose path is longer than MAX_PATH; its
// loader can): the hook is set in every process, "ready" says so, and the first
// process that makes a "TApplication" window is taken for the launcher (the
// hook runs inside its CreateWindowEx, so the process is still there to be
// opened). With --answer-dir, each answer waits for the file DIR\goN (N
// counting the answered windows from 1), so that the suite can take a
// screenshot first.
#include "tests/suites/wine/window_watch.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <set>
#include <string>
#include <vector>

namespace {

DWORD watchedProcess = 0;
HANDLE watchedHandle = nullptr;   // the launcher's process
std::vector<HWND> watchedWindows; // top-level windows of the launcher, in creation order
std::set<HWND> reported;          // those already reported as shown

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    if (!window) return "none";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

std::string TextOf(HWND window) {
    char text[4096] = {};
    int length = GetWindowTextA(window, text, sizeof(text));
    return std::string(text, length > 0 ? static_cast<size_t>(length) : 0);
}

void Say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

bool IsTopLevel(HWND window) {
    return GetAncestor(window, GA_PARENT) == GetDesktopWindow();
}

void Watch(HWND window) {
    for (HWND known : watchedWindows)
        if (known == window) return;
    watchedWindows.push_back(window);
    Say("created pid=" + std::to_string(watchedProcess) + " class=" + ClassOf(window));
}

// Keeps a top-level window of the launcher: called by the hook in the
// launcher's CreateWindowEx, so the window still exists.
void Consider(HWND window) {
    if (!window || !IsWindow(window) || !IsTopLevel(window)) return;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (!watchedProcess && ClassOf(window) == "TApplication") {
        watchedProcess = process;
        watchedHandle =
            OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    }
    if (watchedProcess && process == watchedProcess) Watch(window);
}

LRESULT CALLBACK ReceiverProc(HWND receiver, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kWindowCreated) {
        Consider(reinterpret_cast<HWND>(wParam));
        return 0;
    }
    return DefWindowProcA(receiver, message, wParam, lParam);
}

// The message-only window the hook in the launcher sends its windows to.
bool MakeReceiver() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ReceiverProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWatcherClass;
    return RegisterClassA(&windowClass) &&
           CreateWindowExA(0, kWatcherClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           windowClass.hInstance, nullptr);
}

// Sets the in-context hook of window_watch_hook.dll (beside this program) on a
// process, or on every process for 0.
HWINEVENTHOOK HookProcess(DWORD process) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    std::wstring dll(path, length);
    dll = dll.substr(0, dll.find_last_of(L'\\') + 1) + L"window_watch_hook.dll";
    HMODULE module = LoadLibraryW(dll.c_str());
    if (!module) return nullptr;
    auto procedure = reinterpret_cast<WINEVENTPROC>(
        reinterpret_cast<void*>(GetProcAddress(module, kHookProcedure)));
    if (!procedure) return nullptr;
    return SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, module, procedure, process, 0,
                           WINEVENT_INCONTEXT);
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM texts) {
    if (ClassOf(child) == "Static") {
        std::string text = TextOf(child);
        if (!text.empty()) reinterpret_cast<std::vector<std::string>*>(texts)->push_back(Hex(text));
    }
    return TRUE;
}

std::string Describe(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    char numbers[160];
    std::snprintf(numbers, sizeof(numbers), " style=%08lX exstyle=%08lX rect=%ld,%ld,%ld,%ld",
                  static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
                  static_cast<unsigned long>(GetWindowLongA(window, GWL_EXSTYLE)),
                  static_cast<long>(rect.left), static_cast<long>(rect.top),
                  static_cast<long>(rect.right - rect.left),
                  static_cast<long>(rect.bottom - rect.top));
    std::vector<std::string> texts;
    EnumChildWindows(window, CollectStaticText, reinterpret_cast<LPARAM>(&texts));
    std::string joined;
    for (const std::string& text : texts)
        joined += (joined.empty() ? "" : ",") + text;
    return "class=" + ClassOf(window) + " caption=" + Hex(TextOf(window)) +
           " owner=" + ClassOf(GetWindow(window, GW_OWNER)) + numbers + " texts=" + joined;
}

// Runs the message loop (the hook's windows arrive through it) for up to `ms`,
// or until the launcher ends.
void Pump(DWORD ms) {
    MsgWaitForMultipleObjects(watchedHandle ? 1 : 0, &watchedHandle, FALSE, ms, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

bool FileExists(const std::wstring& name) {
    return GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Ended() {
    return watchedHandle && WaitForSingleObject(watchedHandle, 0) == WAIT_OBJECT_0;
}

// A visible box is confirmed with OK; a visible form is closed as by its close box.
void Answer(HWND window, const std::wstring& answerDirectory, int number) {
    if (!answerDirectory.empty()) {
        std::wstring go = answerDirectory + L"\\go" + std::to_wstring(number);
        while (!FileExists(go) && !Ended() && IsWindow(window))
            Pump(20);
    }
    if (!IsWindow(window)) return;
    std::string name = ClassOf(window);
    if (name == "#32770")
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    else
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    Say("answered class=" + name);
}

// Makes the launcher's process, suspended, with a quoted path as its command line.
bool StartSuspended(const std::wstring& program, const std::wstring& directory,
                    PROCESS_INFORMATION& started) {
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    return CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                          CREATE_SUSPENDED, nullptr, directory.c_str(), &startup, &started);
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    // Lines end in a bare line feed, as the suite's shell reads them.
    _setmode(_fileno(stdout), _O_BINARY);
    std::wstring answerDirectory, program, directory;
    DWORD timeoutMs = 60000;
    bool adopt = false;
    for (int i = 1; i < argc; i += 2) {
        if (std::wcscmp(argv[i], L"--adopt") == 0) {
            adopt = true;
            --i;
            continue;
        }
        if (i + 1 >= argc) break;
        if (std::wcscmp(argv[i], L"--answer-dir") == 0) {
            answerDirectory = argv[i + 1];
        } else if (std::wcscmp(argv[i], L"--timeout") == 0) {
            timeoutMs = _wtoi(argv[i + 1]) * 1000u;
        } else if (std::wcscmp(argv[i], L"--run") == 0 && i + 2 < argc) {
            program = argv[i + 1];
            directory = argv[i + 2];
            ++i;
        }
    }
    if (program.empty() && !adopt) {
        Say("error no --run PROGRAM DIRECTORY or --adopt");
        return 1;
    }
    if (!MakeReceiver()) {
        Say("error no receiver window");
        return 1;
    }
    HWINEVENTHOOK hook = nullptr;
    if (adopt) {
        hook = HookProcess(0);
        if (!hook) {
            Say("error no event hook (" + std::to_string(GetLastError()) + ")");
            return 1;
        }
        Say("ready");
    } else {
        PROCESS_INFORMATION launcher{};
        if (!StartSuspended(program, directory, launcher)) {
            Say("error cannot start the program (" + std::to_string(GetLastError()) + ")");
            return 1;
        }
        watchedProcess = launcher.dwProcessId;
        watchedHandle = launcher.hProcess;
        hook = HookProcess(watchedProcess);
        if (!hook) {
            Say("error no event hook (" + std::to_string(GetLastError()) + ")");
            TerminateProcess(watchedHandle, 1);
            return 1;
        }
        Say("started pid=" + std::to_string(watchedProcess));
        ResumeThread(launcher.hThread);
        CloseHandle(launcher.hThread);
    }
    DWORD start = GetTickCount();
    int shownCount = 0;
    while (GetTickCount() - start < timeoutMs) {
        Pump(10);
        for (size_t i = 0; i < watchedWindows.size(); ++i) {
            HWND window = watchedWindows[i];
            if (reported.count(window) || !IsWindow(window) || !IsWindowVisible(window)) continue;
            reported.insert(window);
            Say("shown " + Describe(window));
            std::string name = ClassOf(window);
            if (name == "#32770" || name == "TFormMain")
                Answer(window, answerDirectory, ++shownCount);
        }
        if (Ended()) {
            DWORD code = 0;
            GetExitCodeProcess(watchedHandle, &code);
            Say("exit code=" + std::to_string(code));
            UnhookWinEvent(hook);
            return 0;
        }
    }
    Say("timeout");
    if (watchedHandle) TerminateProcess(watchedHandle, 1);
    UnhookWinEvent(hook);
    return 2;
}
