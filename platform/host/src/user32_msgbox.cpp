// user32: message boxes, shown on the terminal. The box lists its caption,
// icon kind, text and buttons on standard error; a person at the terminal
// answers with a button's number or first letter (Enter takes the default
// button). Without a terminal the default button answers at once. Either way
// the box is written to the journal with its answer.
#include "hostwin/windows.h"

#include "ascii.h"
#include "codepage.h"
#include "journal.h"
#include "window_manager.h"

#include <cctype>
#include <cstdio>

using namespace hostwin;

namespace {

struct Button {
    int id;
    const char* label;
};

std::vector<Button> ButtonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OK:
        return {{IDOK, "OK"}};
    case MB_OKCANCEL:
        return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE:
        return {{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}};
    case MB_YESNOCANCEL:
        return {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
        return {{IDYES, "Yes"}, {IDNO, "No"}};
    case MB_RETRYCANCEL:
        return {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
    case MB_CANCELTRYCONTINUE:
        return {{IDCANCEL, "Cancel"}, {IDTRYAGAIN, "Try Again"}, {IDCONTINUE, "Continue"}};
    default:
        return {};
    }
}

const char* IconKind(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        return "error";
    case MB_ICONQUESTION:
        return "question";
    case MB_ICONEXCLAMATION:
        return "warning";
    case MB_ICONASTERISK:
        return "information";
    default:
        return "none";
    }
}

void ShowOnTerminal(const std::string& caption, const std::string& text, UINT type,
                    const std::vector<Button>& buttons, size_t defaultButton) {
    std::string line = "\n=== " + AnsiToUtf8(caption) + " [" + IconKind(type) + "] ===\n" +
                       AnsiToUtf8(text) + "\n";
    for (size_t i = 0; i < buttons.size(); ++i)
        line += "  " + std::to_string(i + 1) + ") " + buttons[i].label +
                (i == defaultButton ? " (default)" : "") + "\n";
    std::fputs(line.c_str(), stderr);
}

// The person's choice: a number or a first letter; an empty line or the end
// of input takes the default.
int AskPerson(const std::vector<Button>& buttons, size_t defaultButton) {
    for (;;) {
        std::fputs("choose> ", stderr);
        std::fflush(stderr);
        std::string answer;
        if (!ReadTerminalLine(answer) || answer.empty()) return buttons[defaultButton].id;
        if (std::isdigit(static_cast<unsigned char>(answer[0]))) {
            size_t number = std::stoul(answer.substr(0, 3));
            if (number >= 1 && number <= buttons.size()) return buttons[number - 1].id;
        }
        for (const Button& button : buttons)
            if (AsciiUpper(answer[0]) == button.label[0]) return button.id;
    }
}

} // namespace

extern "C" {

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    std::vector<Button> buttons = ButtonsOf(type);
    if (buttons.empty()) {
        SetLastError(ERROR_INVALID_MSGBOX_STYLE);
        return 0;
    }
    if (type & MB_HELP) buttons.push_back({IDHELP, "Help"});
    WindowPtr ownerWindow;
    if (owner) {
        ownerWindow = RequireWindow(owner);
        if (!ownerWindow) return 0;
        // A box belongs to the top-level window that holds its owner.
        ownerWindow = TopLevelOf(ownerWindow);
    }
    std::string captionText = caption ? caption : "Error";
    std::string bodyText = text ? text : "";
    size_t defaultButton = (type & MB_DEFMASK) >> 8;
    if (defaultButton >= buttons.size()) defaultButton = 0;

    // While the box is up its owner is disabled (a task-modal box without an
    // owner disables every top-level window of the thread), and enabled again
    // afterwards: each gets WM_ENABLE both times.
    std::vector<HWND> disabled;
    auto disable = [&](const WindowPtr& window) {
        if (window && !(window->style & WS_DISABLED)) {
            EnableWindow(window->handle, FALSE);
            disabled.push_back(window->handle);
        }
    };
    if (ownerWindow) {
        disable(ownerWindow);
    } else if (type & MB_TASKMODAL) {
        for (const WindowPtr& window : TopLevelWindows())
            if (window->threadId == GetCurrentThreadId()) disable(window);
    }
    ShowOnTerminal(captionText, bodyText, type, buttons, defaultButton);
    int result;
    if (PersonAtTerminal()) {
        result = AskPerson(buttons, defaultButton);
    } else {
        result = buttons[defaultButton].id;
        std::fprintf(stderr, "  -> %s (nobody at the terminal)\n", buttons[defaultButton].label);
    }
    for (auto it = disabled.rbegin(); it != disabled.rend(); ++it)
        if (IsWindow(*it)) EnableWindow(*it, TRUE);

    std::string ownerClass = ownerWindow ? ClassNameOf(*ownerWindow) : std::string();
    JournalEntry("message_box")
        .TextOrNull("owner_class", ownerWindow ? ownerClass.c_str() : nullptr)
        .Text("caption", captionText)
        .Text("text", bodyText)
        .Number("flags", type)
        .Number("result", result);
    return result;
}

BOOL WINAPI WinHelpA(HWND, LPCSTR helpFile, UINT command, ULONG_PTR data) {
    JournalEntry("help")
        .TextOrNull("file", helpFile)
        .Number("command", command)
        .Number("data", static_cast<int64_t>(data));
    return TRUE;
}

} // extern "C"
