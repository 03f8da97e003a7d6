// kernel32: the program's module, version, command line, start-up
// information, process and thread ids, atoms, timing and process exit.
#include "hostwin/windows.h"

#include "ascii.h"
#include "codepage.h"
#include "journal.h"
#include "machine.h"
#include "modules.h"
#include "paths.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <sys/syscall.h>
#include <unistd.h>

extern "C" char __executable_start; // start of the executable image (GNU ld)

namespace hostwin {
namespace {

std::mutex& ModuleMutex() {
    static std::mutex mutex;
    return mutex;
}

std::map<HMODULE, std::string>& ModuleNames() {
    static std::map<HMODULE, std::string> names;
    return names;
}

struct SystemLibrary {
    const char* name;
    char anchor; // its address is the library's handle
};

SystemLibrary systemLibraries[] = {{"kernel32.dll", 0}, {"user32.dll", 0}, {"gdi32.dll", 0},
                                   {"advapi32.dll", 0}, {"imm32.dll", 0},  {"comctl32.dll", 0}};

// Whether a caller's name is the system library's, as Windows compares module
// names: in any case, with or without its ".dll".
bool SameLibraryName(const char* wanted, std::string_view known) {
    const std::string_view base = known.substr(0, known.size() - 4); // without ".dll"
    return EqualIgnoringAsciiCase(wanted, known) || EqualIgnoringAsciiCase(wanted, base);
}

struct Export {
    const char* library;
    const char* name;
    FARPROC address;
};

// Casting through void (*)() is the documented way to store any function pointer.
template <class F> FARPROC AsFarProc(F function) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

// The exports of the system libraries that programs look up at run time.
const Export exports[] = {
    {"user32.dll", "GetSystemMetrics", AsFarProc(&GetSystemMetrics)},
    {"user32.dll", "MonitorFromWindow", AsFarProc(&MonitorFromWindow)},
    {"user32.dll", "MonitorFromPoint", AsFarProc(&MonitorFromPoint)},
    {"user32.dll", "MonitorFromRect", AsFarProc(&MonitorFromRect)},
    {"user32.dll", "GetMonitorInfoA", AsFarProc(&GetMonitorInfoA)},
    {"user32.dll", "EnumDisplayMonitors", AsFarProc(&EnumDisplayMonitors)},
    {"user32.dll", "SystemParametersInfoA", AsFarProc(&SystemParametersInfoA)},
    {"user32.dll", "SetForegroundWindow", AsFarProc(&SetForegroundWindow)},
    {"user32.dll", "GetAncestor", AsFarProc(&GetAncestor)},
};
} // namespace

HMODULE ProgramModule() {
    return reinterpret_cast<HMODULE>(&__executable_start);
}

std::string ProgramPosixPath() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

std::string ProgramWindowsPath() {
    return PosixToWindows(ProgramPosixPath());
}

void RegisterModuleFileName(HMODULE module, const std::string& ansiPath) {
    std::lock_guard<std::mutex> lock(ModuleMutex());
    ModuleNames()[module] = ansiPath;
}

void ForgetModuleFileName(HMODULE module) {
    std::lock_guard<std::mutex> lock(ModuleMutex());
    ModuleNames().erase(module);
}

std::optional<std::string> ModuleFileName(HMODULE module) {
    if (!module || module == ProgramModule()) return ProgramWindowsPath();
    for (const SystemLibrary& library : systemLibraries)
        if (module == reinterpret_cast<HMODULE>(const_cast<char*>(&library.anchor)))
            return std::string("C:\\windows\\system32\\") + library.name;
    std::lock_guard<std::mutex> lock(ModuleMutex());
    auto it = ModuleNames().find(module);
    if (it == ModuleNames().end()) return std::nullopt;
    return it->second;
}

HMODULE SystemLibraryHandle(const char* name) {
    if (!name) return nullptr;
    for (SystemLibrary& library : systemLibraries)
        if (SameLibraryName(name, library.name)) return reinterpret_cast<HMODULE>(&library.anchor);
    return nullptr;
}

bool IsSystemLibraryHandle(HMODULE module) {
    for (SystemLibrary& library : systemLibraries)
        if (module == reinterpret_cast<HMODULE>(&library.anchor)) return true;
    return false;
}

} // namespace hostwin

using namespace hostwin;

namespace {

// What GetModuleFileNameA and W put into the caller's buffer. A name that
// does not fit is cut to size - 1 characters and a terminating zero, the
// result is the buffer size and the last error ERROR_INSUFFICIENT_BUFFER, as
// Windows documents it (Wine fills the whole buffer without the zero).
template <typename Char>
DWORD CopyModuleName(std::basic_string_view<Char> name, Char* buffer, DWORD size) {
    if (size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (name.size() >= size) {
        std::copy_n(name.data(), size - 1, buffer);
        buffer[size - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::copy_n(name.data(), name.size(), buffer);
    buffer[name.size()] = 0;
    // A name that fits clears the last error (Windows and Wine both do), so
    // that a caller can tell it from one that was cut.
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(name.size());
}

} // namespace

extern "C" {

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size) {
    auto name = ModuleFileName(module);
    if (!name) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    return CopyModuleName<char>(*name, buffer, size);
}

DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) {
    // The program's path straight from its POSIX form: a name the ANSI code
    // page cannot spell keeps its characters here.
    std::u16string name;
    if (!module || module == ProgramModule()) {
        name = PosixToWindowsWide(ProgramPosixPath());
    } else if (auto ansi = ModuleFileName(module)) {
        name = AnsiToUtf16(*ansi);
    } else {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    return CopyModuleName<WCHAR>(name, buffer, size);
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    if (!name) return ProgramModule();
    if (HMODULE library = SystemLibraryHandle(name)) return library;
    std::string program = ProgramWindowsPath();
    std::string base = program.substr(program.find_last_of('\\') + 1);
    std::string wanted(name);
    if (EqualIgnoringAsciiCase(wanted, base) || EqualIgnoringAsciiCase(wanted + ".exe", base))
        return ProgramModule();
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    auto file = ModuleFileName(module);
    if (file && name && !IS_INTRESOURCE(name)) {
        std::string library = file->substr(file->find_last_of('\\') + 1);
        for (const Export& entry : exports)
            if (library == entry.library && std::strcmp(name, entry.name) == 0)
                return entry.address;
    }
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

DWORD WINAPI GetVersion() {
    // Windows 8 (6.2, build 9200): what Windows 8 and later report to a
    // program without a compatibility manifest, and what Wine reports.
    return 0x23F00206;
}

LPSTR WINAPI GetCommandLineA() {
    static std::string commandLine = [] {
        if (const char* given = std::getenv("HOSTWIN_CMDLINE")) return Utf8ToAnsi(given);
        std::ifstream file("/proc/self/cmdline", std::ios::binary);
        std::string raw((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        std::string line;
        size_t start = 0;
        bool first = true;
        while (start < raw.size()) {
            size_t end = raw.find('\0', start);
            if (end == std::string::npos) end = raw.size();
            std::string argument =
                first ? ProgramWindowsPath() : Utf8ToAnsi(raw.substr(start, end - start));
            if (!line.empty()) line += ' ';
            bool quote = argument.empty() || argument.find_first_of(" \t") != std::string::npos;
            line += quote ? "\"" + argument + "\"" : argument;
            first = false;
            start = end + 1;
        }
        return line;
    }();
    return commandLine.data();
}

void WINAPI GetStartupInfoA(LPSTARTUPINFOA info) {
    std::memset(info, 0, sizeof(*info));
    info->cb = sizeof(*info);
    // The show command a host parent passed (WinExec, CreateProcessA).
    unsigned long show = 0;
    if (ParseMachineNumber(std::getenv("HOSTWIN_SHOW"), show)) {
        info->dwFlags = STARTF_USESHOWWINDOW;
        info->wShowWindow = static_cast<WORD>(show);
    }
}

DWORD WINAPI GetCurrentProcessId() {
    return static_cast<DWORD>(getpid());
}

DWORD WINAPI GetCurrentThreadId() {
    return static_cast<DWORD>(syscall(SYS_gettid));
}

HANDLE WINAPI GetCurrentProcess() {
    return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
}

void WINAPI ExitProcess(UINT status) {
    JournalEntry("exit").Number("status", static_cast<int64_t>(status));
    std::fflush(nullptr);
    _exit(static_cast<int>(status));
}

DWORD WINAPI GetTickCount() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(now.tv_sec * 1000ull + now.tv_nsec / 1000000);
}

void WINAPI Sleep(DWORD milliseconds) {
    timespec delay{static_cast<time_t>(milliseconds / 1000),
                   static_cast<long>((milliseconds % 1000) * 1000000)};
    while (nanosleep(&delay, &delay) != 0) {
    }
}

int WINAPI MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    int64_t a = number, d = denominator;
    if (d < 0) {
        a = -a;
        d = -d;
    }
    int64_t product = a * numerator;
    // Rounds to nearest, halves away from zero.
    int64_t result = product >= 0 ? (product + d / 2) / d : (product - d / 2) / d;
    if (result > 2147483647 || result < -2147483647) return -1;
    return static_cast<int>(result);
}

} // extern "C"
