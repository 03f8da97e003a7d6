// Watches the windows of the launcher under test from another process of the
// same Wine session, and reports them on standard output, one line each:
//
//   ready                                 the hook is in place; start the launcher
//   created pid=P class=C                 a top-level window of the launcher was made
//   shown class=C caption=HEX owner=C style=HEX exstyle=HEX rect=X,Y,W,H texts=HEX,...
//                                         a top-level window of the launcher became visible
//   answered class=C                      the box was confirmed (OK) or the form closed
//   exit code=N                           the launcher's process ended
//   timeout                               it did not end in time (status 2)
//
// Texts are the bytes GetWindowTextA gives (the ANSI code page) in
// hexadecimal, so that Shift-JIS texts compare byte for byte. A box's texts
// are those of its static controls; the form's, none.
//
//   window_watch [--answer-dir DIR] [--timeout SECONDS]
//
// The launcher is recognised by its hidden application window (class
// "TApplication"). Every visible box is confirmed with OK and the visible main
// form is closed through its system menu's Close, as a user would. With
// --answer-dir, each answer waits for the file DIR\goN (N counting the
// answered windows from 1), so that the suite can take a screenshot first.
#include "platform/win32.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

DWORD watchedProcess = 0;
HANDLE watchedHandle = nullptr;
std::vector<HWND> watchedWindows;  // top-level windows of the launcher, in creation order
std::set<HWND> reported;           // those already reported as shown

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

bool IsTopLevel(HWND window) { return GetAncestor(window, GA_PARENT) == GetDesktopWindow(); }

void Watch(HWND window) {
    for (HWND known : watchedWindows)
        if (known == window) return;
    watchedWindows.push_back(window);
    Say("created pid=" + std::to_string(watchedProcess) + " class=" + ClassOf(window));
}

// Takes the first process that makes a "TApplication" window as the launcher.
void Consider(HWND window) {
    if (!window || !IsTopLevel(window)) return;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (!watchedProcess && ClassOf(window) == "TApplication") {
        watchedProcess = process;
        watchedHandle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    }
    if (watchedProcess && process == watchedProcess) Watch(window);
}

void CALLBACK OnCreate(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_WINDOW && child == CHILDID_SELF) Consider(window);
}

BOOL CALLBACK ConsiderEach(HWND window, LPARAM) {
    Consider(window);
    return TRUE;
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
                  static_cast<long>(rect.right - rect.left), static_cast<long>(rect.bottom - rect.top));
    std::vector<std::string> texts;
    EnumChildWindows(window, CollectStaticText, reinterpret_cast<LPARAM>(&texts));
    std::string joined;
    for (const std::string& text : texts) joined += (joined.empty() ? "" : ",") + text;
    return "class=" + ClassOf(window) + " caption=" + Hex(TextOf(window)) +
           " owner=" + ClassOf(GetWindow(window, GW_OWNER)) + numbers + " texts=" + joined;
}

// Runs the message loop (the hook's events arrive through it) for up to `ms`.
void Pump(DWORD ms) {
    DWORD count = watchedHandle ? 1 : 0;
    MsgWaitForMultipleObjects(count, &watchedHandle, FALSE, ms, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

bool FileExists(const std::string& name) {
    return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Ended() { return watchedHandle && WaitForSingleObject(watchedHandle, 0) == WAIT_OBJECT_0; }

// A visible box is confirmed with OK; a visible form is closed as by its close box.
void Answer(HWND window, const std::string& answerDirectory, int number) {
    if (!answerDirectory.empty()) {
        std::string go = answerDirectory + "\\go" + std::to_string(number);
        while (!FileExists(go) && !Ended() && IsWindow(window)) Pump(20);
    }
    if (!IsWindow(window)) return;
    std::string name = ClassOf(window);
    if (name == "#32770") PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    else PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    Say("answered class=" + name);
}

}  // namespace

int main(int argc, char** argv) {
    // Lines end in a bare line feed, as the suite's shell reads them.
    _setmode(_fileno(stdout), _O_BINARY);
    std::string answerDirectory;
    DWORD timeoutMs = 60000;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--answer-dir") == 0) answerDirectory = argv[i + 1];
        else if (std::strcmp(argv[i], "--timeout") == 0) timeoutMs = std::atoi(argv[i + 1]) * 1000u;
    }
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, OnCreate,
                                         0, 0, WINEVENT_OUTOFCONTEXT);
    if (!hook) {
        Say("error no event hook");
        return 1;
    }
    Say("ready");
    DWORD start = GetTickCount();
    int shownCount = 0;
    while (GetTickCount() - start < timeoutMs) {
        Pump(10);
        // Windows made before the hook saw them (or whose event came late).
        EnumWindows(ConsiderEach, 0);
        for (size_t i = 0; i < watchedWindows.size(); ++i) {
            HWND window = watchedWindows[i];
            if (reported.count(window) || !IsWindow(window) || !IsWindowVisible(window)) continue;
            reported.insert(window);
            Say("shown " + Describe(window));
            std::string name = ClassOf(window);
            if (name == "#32770" || name == "TFormMain") Answer(window, answerDirectory, ++shownCount);
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
    UnhookWinEvent(hook);
    return 2;
}
