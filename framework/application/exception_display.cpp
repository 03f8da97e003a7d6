// How the application object shows the exceptions that reach the framework's
// boundaries, and its modal message box.
#include "framework/application/application.h"

#include "runtime/exceptions.h"
#include "runtime/format.h"
#include "runtime/resstrings.h"
#include "runtime/type_names.h"
#include "system/module_path.h"
#include "system/pathparts.h"

#include <cxxabi.h>
#include <exception>
#include <typeinfo>

namespace {

// The readable name of the exception being handled (a C++ type).
std::string CurrentExceptionTypeName() {
    const std::type_info* type = abi::__cxa_current_exception_type();
    if (!type) return "Exception";
    return ReadableTypeName(type->name());
}

// The file name of the program's module, without its directory.
std::string ProgramModuleName() {
    return NamePart(ModuleFilePath(nullptr));
}

} // namespace

void TApplication::RouteException(TObject* sender) {
    if (!std::current_exception()) return;
    if (HWND capture = GetCapture()) SendMessageA(capture, WM_CANCELMODE, 0, 0);
    try {
        throw;
    } catch (const EAbort&) {
        // Dropped silently.
    } catch (Exception& exception) {
        if (ErrorHook.Assigned())
            ErrorHook(sender, &exception);
        else
            PresentException(exception);
    } catch (...) {
        ShowForeignException();
    }
}

// The runtime's report of an exception that is not an Exception: a task-modal
// stop box without an owner. A C++ exception carries no fault address, so
// the text says the address is unknown rather than show a made-up one; the
// module is the program's, which holds all of the program's code (it is
// linked statically).
void TApplication::ShowForeignException() {
    ShowRuntimeErrorReport(std::string());
}

void ShowRuntimeErrorReport(const std::string& message) {
    std::string title = LoadResString(SExceptionTitle);
    std::string text =
        FormatResString(SExceptionAtUnknownAddress,
                        {CurrentExceptionTypeName(), ProgramModuleName(), message, std::string()});
    MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

void ReportUncaughtException() {
    try {
        throw;
    } catch (const Exception& exception) {
        if (TheApplication)
            TheApplication->PresentException(exception);
        else
            ShowRuntimeErrorReport(WithClosingPeriod(exception.Message()));
    } catch (...) {
        ShowRuntimeErrorReport(std::string());
    }
}

void TApplication::PresentException(const Exception& exception) {
    std::string text = WithClosingPeriod(exception.Message());
    std::string caption = ReadTitle();
    ModalMessageBox(text.c_str(), caption.c_str(), MB_OK | MB_ICONSTOP);
}

int TApplication::ModalMessageBox(const char* text, const char* caption, UINT flags) {
    HWND previous = GetActiveWindow();
    HMONITOR activeMonitor = MonitorFromWindow(previous, MONITOR_DEFAULTTONEAREST);
    HMONITOR ownMonitor = MonitorFromWindow(FAppWindow, MONITOR_DEFAULTTONEAREST);
    RECT saved{};
    bool moved = false;
    if (activeMonitor != ownMonitor) {
        // The box opens over its owner: put the zero-sized application window
        // at the centre of the active window's monitor for the duration.
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        GetMonitorInfoA(activeMonitor, &info);
        GetWindowRect(FAppWindow, &saved);
        const RECT& r = info.rcMonitor;
        SetWindowPos(FAppWindow, nullptr, r.left + (r.right - r.left) / 2,
                     r.top + (r.bottom - r.top) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
        moved = true;
    }
    TWindowList* disabled = nullptr;
    auto restore = [&] {
        if (moved)
            SetWindowPos(FAppWindow, nullptr, saved.left + (saved.right - saved.left) / 2,
                         saved.top + (saved.bottom - saved.top) / 2, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE);
        ReenableWindows(disabled);
        SetActiveWindow(previous);
    };
    int result;
    try {
        disabled = DisableOtherWindows(nullptr);
        if (MiddleEastLocale && FReadingOrder != 0) flags |= MB_RTLREADING;
        result = MessageBoxA(FAppWindow, text, caption, flags);
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return result;
}
