// kernel32: starting programs (CreateProcessA, WinExec), process handles,
// exit codes and termination.
//
// A program is started as a POSIX process (fork and exec; a stand-in may be
// a script with a #! line). It receives the arguments after the program's
// name split by the C runtime's rules, the whole command line in
// HOSTWIN_CMDLINE and the show command in HOSTWIN_SHOW (see
// docs/host-platform.md). A thread per child waits for it, so children never
// stay zombies and process handles can be waited on with a time-out.
#include "hostwin/windows.h"

#include "codepage.h"
#include "handles.h"
#include "journal.h"
#include "paths.h"
#include "process_command_line.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace hostwin {
namespace {

// What the handles of one started process share.
struct ProcessState {
    explicit ProcessState(pid_t pid) : pid(pid) {}
    const pid_t pid;
    std::mutex mutex;
    std::condition_variable ended;
    bool exited = false;
    DWORD exitCode = STILL_ACTIVE;
    std::optional<DWORD> terminateCode; // set by TerminateProcess
    std::vector<int> watchers;          // eventfds written when the process ends
};

void WakeWatcher(int eventFd) {
    uint64_t one = 1;
    ssize_t written = write(eventFd, &one, sizeof(one));
    (void)written;
}

// The Windows exit code of a POSIX wait status. A crash gives the exception
// code Windows would report; other signals give 128 plus the signal, as shells do.
DWORD ExitCodeOf(int status, const std::optional<DWORD>& terminateCode) {
    if (WIFEXITED(status)) return static_cast<DWORD>(WEXITSTATUS(status));
    int signal = WTERMSIG(status);
    if (signal == SIGKILL && terminateCode) return *terminateCode;
    switch (signal) {
    case SIGSEGV:
    case SIGBUS:
        return 0xC0000005; // access violation
    case SIGILL:
        return 0xC000001D; // illegal instruction
    case SIGFPE:
        return 0xC0000094; // integer division by zero
    default:
        return 128 + static_cast<DWORD>(signal);
    }
}

// Waits for the child without reaping it, records its end under the lock,
// then reaps it: TerminateProcess, which signals under the same lock, can
// never reach a process id that has been reused.
void WatchProcess(std::shared_ptr<ProcessState> state) {
    siginfo_t info;
    while (waitid(P_PID, static_cast<id_t>(state->pid), &info, WEXITED | WNOWAIT) != 0 &&
           errno == EINTR) {
    }
    std::lock_guard<std::mutex> lock(state->mutex);
    int status = 0;
    pid_t reaped;
    do {
        reaped = waitpid(state->pid, &status, 0);
    } while (reaped < 0 && errno == EINTR);
    // Without a status (SIGCHLD ignored by the environment) the code is 0.
    state->exitCode = reaped == state->pid ? ExitCodeOf(status, state->terminateCode) : 0;
    state->exited = true;
    state->ended.notify_all();
    for (int watcher : state->watchers)
        WakeWatcher(watcher);
}

// Process and thread handles: both are signalled when the process ends
// (the host's processes run their program on one thread).
class ProcessWaitable : public KernelObject {
public:
    explicit ProcessWaitable(std::shared_ptr<ProcessState> state) : state_(std::move(state)) {}
    DWORD Wait(DWORD milliseconds) override {
        std::unique_lock<std::mutex> lock(state_->mutex);
        auto ended = [this] { return state_->exited; };
        if (milliseconds == INFINITE) {
            state_->ended.wait(lock, ended);
        } else if (!state_->ended.wait_for(lock, std::chrono::milliseconds(milliseconds), ended)) {
            return WAIT_TIMEOUT;
        }
        return WAIT_OBJECT_0;
    }
    bool Watch(int eventFd) override {
        std::lock_guard<std::mutex> lock(state_->mutex);
        if (state_->exited)
            WakeWatcher(eventFd);
        else
            state_->watchers.push_back(eventFd);
        return true;
    }
    void Unwatch(int eventFd) override {
        std::lock_guard<std::mutex> lock(state_->mutex);
        std::erase(state_->watchers, eventFd);
    }
    const std::shared_ptr<ProcessState>& State() const { return state_; }

private:
    std::shared_ptr<ProcessState> state_;
};

class ProcessObject : public ProcessWaitable {
    using ProcessWaitable::ProcessWaitable;
};
class ThreadObject : public ProcessWaitable {
    using ProcessWaitable::ProcessWaitable;
};

DWORD ErrorOfErrno(int error) {
    switch (error) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
        return ERROR_ACCESS_DENIED;
    case ENOMEM:
    case EAGAIN:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_BAD_EXE_FORMAT; // ENOEXEC and the like: not a program
    }
}

bool IsHostVariable(std::string_view entry, const char* name) {
    size_t length = std::strlen(name);
    return entry.size() > length && entry.compare(0, length, name) == 0 && entry[length] == '=';
}

// The child's environment: the given block (ANSI, "A=B\0C=D\0\0") or this
// process's, with HOSTWIN_CMDLINE and HOSTWIN_SHOW set for the child. A
// block keeps the machine's HOSTWIN_* settings it lacks, so the child runs
// on the same machine.
std::vector<std::string> ChildEnvironment(const void* block, std::string_view commandLine,
                                          std::optional<WORD> show) {
    std::vector<std::string> entries;
    if (block) {
        for (const char* entry = static_cast<const char*>(block); *entry;
             entry += std::strlen(entry) + 1)
            entries.push_back(AnsiToUtf8(entry));
        for (char** own = environ; *own; ++own) {
            std::string_view entry(*own);
            if (entry.rfind("HOSTWIN_", 0) != 0) continue;
            std::string_view name = entry.substr(0, entry.find('='));
            bool given = false;
            for (const std::string& existing : entries)
                given = given || IsHostVariable(existing, std::string(name).c_str());
            if (!given) entries.emplace_back(entry);
        }
    } else {
        for (char** own = environ; *own; ++own)
            entries.emplace_back(*own);
    }
    std::erase_if(entries, [](const std::string& entry) {
        return IsHostVariable(entry, "HOSTWIN_CMDLINE") || IsHostVariable(entry, "HOSTWIN_SHOW");
    });
    entries.push_back("HOSTWIN_CMDLINE=" + AnsiToUtf8(commandLine));
    if (show) entries.push_back("HOSTWIN_SHOW=" + std::to_string(*show));
    return entries;
}

std::vector<char*> PointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& text : strings)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Forks and executes the program; the child reports a failed exec through a
// pipe that the exec closes. Returns the child's id, or -1 with the Win32
// error in *error.
pid_t Spawn(const std::string& program, std::vector<std::string> arguments,
            std::vector<std::string> environment, const std::string& directory, DWORD* error) {
    // Everything the child needs is prepared before the fork: between fork
    // and exec it may only make async-signal-safe calls.
    std::vector<char*> argv = PointersTo(arguments);
    std::vector<char*> envp = PointersTo(environment);
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        *error = ERROR_NOT_ENOUGH_MEMORY;
        return -1;
    }
    pid_t pid = fork();
    if (pid == 0) {
        close(report[0]);
        if (directory.empty() || chdir(directory.c_str()) == 0)
            execve(program.c_str(), argv.data(), envp.data());
        int failure = errno;
        ssize_t written = write(report[1], &failure, sizeof(failure));
        (void)written;
        _exit(127);
    }
    close(report[1]);
    if (pid < 0) {
        *error = ERROR_NOT_ENOUGH_MEMORY;
        close(report[0]);
        return -1;
    }
    int failure = 0;
    ssize_t count;
    do {
        count = read(report[0], &failure, sizeof(failure));
    } while (count < 0 && errno == EINTR);
    close(report[0]);
    if (count == sizeof(failure)) {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        *error = ErrorOfErrno(failure);
        return -1;
    }
    return pid;
}

struct StartRequest {
    const char* application = nullptr; // ANSI, or null: the command line names the program
    const char* commandLine = nullptr; // ANSI
    std::optional<WORD> show;
    const void* environment = nullptr;
    const char* currentDirectory = nullptr;
};

// Starts a program; on failure returns null and sets the last error.
std::shared_ptr<ProcessState> StartProcess(const StartRequest& request, std::string& image) {
    const char* line = request.commandLine ? request.commandLine : request.application;
    if (!line) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::string_view commandLine(line);
    ProgramLocation program;
    if (request.application) {
        // The application name is used as it is: no search, no ".exe" added.
        auto posix = WindowsToPosix(request.application);
        if (posix && PosixFileExists(*posix)) program.posixPath = *posix;
        program.argumentsStart =
            request.commandLine ? EndOfFirstToken(commandLine) : commandLine.size();
    } else {
        LocateProgram(commandLine, program);
    }
    if (program.posixPath.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    image = PosixToWindows(program.posixPath);

    std::string directory;
    if (request.currentDirectory) {
        auto posix = WindowsToPosix(request.currentDirectory);
        if (!posix || !PosixDirectoryExists(*posix)) {
            SetLastError(ERROR_DIRECTORY);
            return nullptr;
        }
        directory = *posix;
    }

    std::vector<std::string> arguments{program.posixPath};
    for (const std::string& argument : SplitArguments(commandLine.substr(program.argumentsStart)))
        arguments.push_back(AnsiToUtf8(argument));
    DWORD error = ERROR_SUCCESS;
    pid_t pid =
        Spawn(program.posixPath, std::move(arguments),
              ChildEnvironment(request.environment, commandLine, request.show), directory, &error);
    if (pid < 0) {
        SetLastError(error);
        return nullptr;
    }
    auto state = std::make_shared<ProcessState>(pid);
    std::thread(WatchProcess, state).detach();
    return state;
}

// Why a program could not be started, in words, for the journal.
const char* StartFailureReason(DWORD error) {
    switch (error) {
    case ERROR_SUCCESS:
        return nullptr;
    case ERROR_FILE_NOT_FOUND:
        return "no such file";
    case ERROR_PATH_NOT_FOUND:
        return "no such directory";
    case ERROR_BAD_EXE_FORMAT:
        return "not a program";
    case ERROR_ACCESS_DENIED:
        return "no execute permission";
    case ERROR_DIRECTORY:
        return "the current directory given does not exist";
    case ERROR_INVALID_PARAMETER:
        return "no command line";
    default:
        return "out of resources";
    }
}

void JournalStart(const char* api, const char* commandLine, std::optional<WORD> show,
                  const char* currentDirectory, const std::string& image, int64_t result,
                  DWORD error) {
    JournalEntry entry("process_start");
    entry.Utf8("api", api).TextOrNull("command_line", commandLine);
    if (show) {
        entry.Number("show", *show);
    } else {
        entry.Null("show");
    }
    if (image.empty()) {
        entry.Null("image").Null("image_hex");
    } else {
        entry.Text("image", image);
    }
    entry.Number("result", result);
    if (currentDirectory) {
        entry.Text("directory", currentDirectory);
    } else {
        entry.Text("directory", PosixToWindows(PosixCurrentDirectory()));
    }
    entry.Number("error", error);
    if (const char* reason = StartFailureReason(error)) {
        entry.Utf8("reason", reason);
    } else {
        entry.Null("reason");
    }
}

} // namespace
} // namespace hostwin

using namespace hostwin;

extern "C" {

BOOL WINAPI CreateProcessA(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES,
                           LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID environment,
                           LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                           LPPROCESS_INFORMATION processInformation) {
    StartRequest request;
    request.application = application;
    request.commandLine = commandLine;
    request.environment = environment;
    request.currentDirectory = currentDirectory;
    if (startupInfo && (startupInfo->dwFlags & STARTF_USESHOWWINDOW))
        request.show = startupInfo->wShowWindow;
    std::string image;
    std::shared_ptr<ProcessState> state = StartProcess(request, image);
    if (state && processInformation) {
        processInformation->hProcess = AllocateHandle(std::make_shared<ProcessObject>(state));
        processInformation->hThread = AllocateHandle(std::make_shared<ThreadObject>(state));
        processInformation->dwProcessId = static_cast<DWORD>(state->pid);
        processInformation->dwThreadId = static_cast<DWORD>(state->pid);
    }
    const DWORD error = state ? ERROR_SUCCESS : GetLastError();
    JournalStart("CreateProcessA", commandLine ? commandLine : application, request.show,
                 currentDirectory, image, state ? TRUE : FALSE, error);
    SetLastError(error);
    return state ? TRUE : FALSE;
}

UINT WINAPI WinExec(LPCSTR commandLine, UINT showCommand) {
    StartRequest request;
    request.commandLine = commandLine ? commandLine : "";
    request.show = static_cast<WORD>(showCommand);
    std::string image;
    UINT result = 33; // what Windows and Wine return on success: any value above 31
    DWORD error = ERROR_SUCCESS;
    if (!StartProcess(request, image)) {
        error = GetLastError();
        if (error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY)
            result = 0; // out of resources
        else
            result = error < 32 ? error : ERROR_BAD_FORMAT;
    }
    JournalStart("WinExec", commandLine, request.show, nullptr, image, result, error);
    return result;
}

BOOL WINAPI GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
    if (process == GetCurrentProcess()) {
        *exitCode = STILL_ACTIVE;
        return TRUE;
    }
    auto object = LookupHandleAs<ProcessObject>(process);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(object->State()->mutex);
    *exitCode = object->State()->exitCode;
    return TRUE;
}

BOOL WINAPI TerminateProcess(HANDLE process, UINT exitCode) {
    if (process == GetCurrentProcess()) ExitProcess(exitCode);
    auto object = LookupHandleAs<ProcessObject>(process);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const std::shared_ptr<ProcessState>& state = object->State();
    std::lock_guard<std::mutex> lock(state->mutex);
    // A process that has ended keeps its exit code; Wine reports success.
    if (!state->exited) {
        state->terminateCode = exitCode;
        kill(state->pid, SIGKILL);
    }
    return TRUE;
}

} // extern "C"
