// Starting programs on the host: how CreateProcessA and WinExec find the
// program, what the started program receives, waiting, exit codes and the
// journal. The programs are stand-in shell scripts that write down what they
// were given.
#include "host_test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace host_test;

// The Windows name of a POSIX path (drive Z: is the POSIX root).
std::string WindowsPath(std::string posix) {
    for (char& c : posix)
        if (c == '/') c = '\\';
    return "Z:" + posix;
}

std::string ProgramDirectory() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    std::string program(path, length > 0 ? static_cast<size_t>(length) : 0);
    return program.substr(0, program.rfind('/'));
}

void MakeDirectory(const std::string& path) {
    std::string partial;
    for (size_t i = 1; i <= path.size(); ++i)
        if (i == path.size() || path[i] == '/') mkdir(path.substr(0, i).c_str(), 0755);
}

void WriteScript(const std::string& path, const std::string& body, mode_t mode = 0755) {
    MakeDirectory(path.substr(0, path.rfind('/')));
    std::ofstream(path, std::ios::trunc) << body;
    chmod(path.c_str(), mode);
}

// What a stand-in was given, as it wrote it down.
struct Record {
    bool ran = false;
    std::map<std::string, std::string> fields; // cwd, cmdline, show, foo, prefix
    std::vector<std::string> arguments;
};

// A stand-in program at a POSIX path: it writes its current directory, its
// environment's HOSTWIN_CMDLINE, HOSTWIN_SHOW, FOO and HOSTWIN_PREFIX and its
// arguments to PATH.out, then exits with the given status (or sleeps).
class StandIn {
public:
    explicit StandIn(std::string path, int status = 7, const char* tail = nullptr)
        : path_(std::move(path)) {
        WriteScript(path_, std::string("#!/bin/sh\n") +
                               "{ printf 'cwd=%s\\n' \"$(pwd)\"\n"
                               "  printf 'cmdline=%s\\n' \"$HOSTWIN_CMDLINE\"\n"
                               "  printf 'show=%s\\n' \"${HOSTWIN_SHOW-unset}\"\n"
                               "  printf 'foo=%s\\n' \"${FOO-unset}\"\n"
                               "  printf 'prefix=%s\\n' \"$HOSTWIN_PREFIX\"\n"
                               "  for a in \"$@\"; do printf 'arg=%s\\n' \"$a\"; done\n"
                               "} > \"$0.tmp\" && mv \"$0.tmp\" \"$0.out\"\n" +
                               (tail ? tail : "exit " + std::to_string(status)) + "\n");
        unlink((path_ + ".out").c_str());
    }
    ~StandIn() {
        unlink(path_.c_str());
        unlink((path_ + ".out").c_str());
    }
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    const std::string& Path() const { return path_; }
    std::string Windows() const { return WindowsPath(path_); }

    // What the stand-in wrote; waits for it up to ten seconds (WinExec gives no handle).
    Record Read(bool wait = true) const {
        Record record;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        struct stat info;
        while (wait && stat((path_ + ".out").c_str(), &info) != 0 &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream file(path_ + ".out");
        for (std::string line; std::getline(file, line);) {
            record.ran = true;
            size_t equals = line.find('=');
            std::string name = line.substr(0, equals), value = line.substr(equals + 1);
            if (name == "arg")
                record.arguments.push_back(value);
            else
                record.fields[name] = value;
        }
        return record;
    }

private:
    std::string path_;
};

// Changes the current directory for the test's span.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& path) : saved_(getcwd(nullptr, 0)) {
        MakeDirectory(path);
        EXPECT_EQ(chdir(path.c_str()), 0);
    }
    ~CurrentDirectory() {
        EXPECT_EQ(chdir(saved_), 0);
        free(saved_);
    }

private:
    char* saved_;
};

struct Started {
    BOOL ok;
    DWORD error;
    PROCESS_INFORMATION info;
};

Started Start(const std::string& commandLine, const char* directory = nullptr,
              const STARTUPINFOA* custom = nullptr, void* environment = nullptr) {
    std::string buffer = commandLine;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    Started started{};
    SetLastError(0xDEADBEEF);
    started.ok =
        CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, environment, directory,
                       const_cast<STARTUPINFOA*>(custom ? custom : &startup), &started.info);
    started.error = GetLastError();
    return started;
}

// Starts, waits for the end and closes the handles; returns the exit code.
DWORD RunToEnd(const std::string& commandLine, const char* directory = nullptr) {
    Started started = Start(commandLine, directory);
    EXPECT_TRUE(started.ok) << commandLine << " error " << started.error;
    if (!started.ok) return 0xFFFFFFFF;
    EXPECT_EQ(WaitForSingleObject(started.info.hProcess, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(started.info.hProcess, &code));
    CloseHandle(started.info.hProcess);
    CloseHandle(started.info.hThread);
    return code;
}

TEST(ProcessStart, QuotedAndUnquotedNamesWithSpaces) {
    std::string dir = Prefix() + "/names";
    StandIn spaced(dir + "/sp ace/t.exe");
    // Quoted: the whole name, arguments after the closing quote.
    EXPECT_EQ(RunToEnd("\"" + spaced.Windows() + "\" a b"), 7u);
    Record record = spaced.Read();
    EXPECT_EQ(record.arguments, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(record.fields["cmdline"], "\"" + spaced.Windows() + "\" a b");
    // Unquoted: the shortest prefix that names a file wins...
    {
        StandIn shorter(dir + "/sp.exe");
        RunToEnd(spaced.Windows() + " a b");
        Record taken = shorter.Read();
        EXPECT_EQ(taken.arguments, (std::vector<std::string>{"ace\\t.exe", "a", "b"}));
    }
    // ... and longer ones are tried when it does not.
    unlink((spaced.Path() + ".out").c_str());
    RunToEnd(WindowsPath(dir) + "\\sp ace\\t a b");
    EXPECT_EQ(spaced.Read().arguments, (std::vector<std::string>{"a", "b"}));
}

TEST(ProcessStart, ExeIsAppendedToANameWithoutExtension) {
    std::string dir = Prefix() + "/extensions";
    StandIn withExe(dir + "/both.exe"), without(dir + "/both"), only(dir + "/noext");
    RunToEnd(WindowsPath(dir) + "\\both");
    EXPECT_TRUE(withExe.Read().ran);
    EXPECT_FALSE(without.Read(false).ran);
    RunToEnd(WindowsPath(dir) + "\\noext");
    EXPECT_TRUE(only.Read().ran);
    // Names resolve without regard to case, as Windows file names do.
    unlink((withExe.Path() + ".out").c_str());
    RunToEnd(WindowsPath(dir) + "\\BOTH.EXE");
    EXPECT_TRUE(withExe.Read().ran);
}

TEST(ProcessStart, SearchesTheProgramDirectoryBeforeTheCurrentOne) {
    // A directory beside the test program, named after the process.
    std::string beside = ProgramDirectory() + "/search-" + std::to_string(getpid());
    std::string elsewhere = Prefix() + "/elsewhere";
    std::string name = "search-" + std::to_string(getpid());
    StandIn besideTool(beside + "/tool.exe"), besideOnly(beside + "/beside.exe");
    StandIn currentSame(elsewhere + "/" + name + "/tool.exe");
    StandIn currentTool(elsewhere + "/sub/tool.exe"), currentOnly(elsewhere + "/sub/only.exe");
    {
        CurrentDirectory current(elsewhere);
        // A relative name with a directory is searched for, the program's
        // directory first (the launcher's "Inst_English\Setup.exe" is found
        // beside it when it was started from elsewhere).
        EXPECT_EQ(WinExec((name + "\\tool.exe x").c_str(), SW_SHOWNORMAL), 33u);
        Record record = besideTool.Read();
        EXPECT_EQ(record.arguments, (std::vector<std::string>{"x"}));
        EXPECT_EQ(record.fields["cwd"], elsewhere); // the starter's current directory
        EXPECT_FALSE(currentSame.Read(false).ran);
        // The program's directory has no sub\tool.exe: the current directory's is found.
        RunToEnd("sub\\tool");
        EXPECT_TRUE(currentTool.Read().ran);
        // ".\" names the current directory alone.
        RunToEnd(".\\sub\\only.exe");
        EXPECT_TRUE(currentOnly.Read().ran);
        RunToEnd(".\\" + name + "\\tool.exe");
        EXPECT_TRUE(currentSame.Read().ran);
        Started missing = Start(".\\" + name + "\\beside.exe");
        EXPECT_FALSE(missing.ok);
        EXPECT_EQ(missing.error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    }
    rmdir(beside.c_str());
    rmdir((elsewhere + "/" + name).c_str());
}

TEST(ProcessStart, ArgumentsSplitAsTheCRuntimeSplitsThem) {
    StandIn program(Prefix() + "/args/t.exe");
    // The line a Windows child printed under Wine, with the arguments it saw.
    std::string line =
        program.Windows() +
        " x \"y z\" a\\\\\"b c\" d\\\"e f\\\\g \"h\"\"i\" \"\"\"j\"\"\" k \"\" \xc3\xa9\t  end";
    RunToEnd(line);
    Record record = program.Read();
    // The command line is the program's ANSI text (code page 1252: é is two characters).
    EXPECT_EQ(record.arguments,
              (std::vector<std::string>{"x", "y z", "a\\b c", "d\"e", "f\\\\g", "h\"i", "\"j\"",
                                        "k", "", "\xc3\x83\xc2\xa9", "end"}));
    EXPECT_EQ(record.fields["cmdline"].size(), line.size() + 2);
}

TEST(ProcessStart, ShowCommandAndEnvironment) {
    StandIn program(Prefix() + "/show/t.exe");
    setenv("HOSTWIN_SHOW", "5", 1); // as if this program had been started with SW_SHOW
    ASSERT_GE(WinExec(program.Windows().c_str(), SW_SHOWMINIMIZED), 32u);
    Record record = program.Read();
    EXPECT_EQ(record.fields["show"], "2");
    EXPECT_EQ(record.fields["prefix"], Prefix());
    unlink((program.Path() + ".out").c_str());
    // Without STARTF_USESHOWWINDOW the child gets no show command.
    RunToEnd(program.Windows());
    EXPECT_EQ(program.Read().fields["show"], "unset");
    unlink((program.Path() + ".out").c_str());
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    // An environment block of its own: the machine's settings stay.
    char block[] = "FOO=bar\0OTHER=1\0";
    Started started = Start(program.Windows(), nullptr, &startup, block);
    ASSERT_TRUE(started.ok);
    WaitForSingleObject(started.info.hProcess, INFINITE);
    record = program.Read();
    EXPECT_EQ(record.fields["show"], "0");
    EXPECT_EQ(record.fields["foo"], "bar");
    EXPECT_EQ(record.fields["prefix"], Prefix());
    CloseHandle(started.info.hProcess);
    CloseHandle(started.info.hThread);
    unsetenv("HOSTWIN_SHOW");
}

TEST(ProcessStart, CurrentDirectoryOfTheChild) {
    StandIn program(Prefix() + "/cwd/t.exe");
    std::string other = Prefix() + "/cwd/other";
    MakeDirectory(other);
    RunToEnd(program.Windows(), WindowsPath(other).c_str());
    EXPECT_EQ(program.Read().fields["cwd"], other);
    Started missing = Start(program.Windows(), WindowsPath(Prefix() + "/cwd/missing").c_str());
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, static_cast<DWORD>(ERROR_DIRECTORY));
}

TEST(ProcessStart, WaitingExitCodesAndTermination) {
    StandIn quick(Prefix() + "/wait/quick.exe", 3);
    EXPECT_EQ(RunToEnd(quick.Windows()), 3u);

    StandIn slow(Prefix() + "/wait/slow.exe", 0, "exec sleep 30");
    Started started = Start(slow.Windows());
    ASSERT_TRUE(started.ok);
    EXPECT_EQ(WaitForSingleObject(started.info.hProcess, 20), static_cast<DWORD>(WAIT_TIMEOUT));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(started.info.hProcess, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_TRUE(TerminateProcess(started.info.hProcess, 42));
    EXPECT_EQ(WaitForSingleObject(started.info.hProcess, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(started.info.hThread, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeProcess(started.info.hProcess, &code));
    EXPECT_EQ(code, 42u);
    // An ended process keeps its exit code.
    EXPECT_TRUE(TerminateProcess(started.info.hProcess, 5));
    EXPECT_TRUE(GetExitCodeProcess(started.info.hProcess, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_FALSE(GetExitCodeProcess(started.info.hThread, &code));
    EXPECT_TRUE(CloseHandle(started.info.hProcess));
    EXPECT_TRUE(CloseHandle(started.info.hThread));
    EXPECT_EQ(WaitForSingleObject(started.info.hProcess, 0), WAIT_FAILED);
}

TEST(ProcessStart, EndedChildrenAreReaped) {
    StandIn quick(Prefix() + "/reap/t.exe", 0);
    Started started = Start(quick.Windows());
    ASSERT_TRUE(started.ok);
    CloseHandle(started.info.hProcess);
    CloseHandle(started.info.hThread);
    // Nobody waits; the child must still not stay behind as a zombie.
    std::string proc = "/proc/" + std::to_string(started.info.dwProcessId);
    struct stat info;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (stat(proc.c_str(), &info) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_NE(stat(proc.c_str(), &info), 0) << proc << " is still there";
}

TEST(ProcessStart, FailuresAndTheirCodes) {
    std::string dir = Prefix() + "/fail";
    WriteScript(dir + "/text.exe", "just text, no #! line\n");
    WriteScript(dir + "/plain.exe", "#!/bin/sh\nexit 0\n", 0644);
    struct Case {
        std::string line;
        UINT winExec;        // WinExec's result
        DWORD createProcess; // CreateProcessA's last error
    };
    const Case cases[] = {
        {WindowsPath(dir) + "\\missing.exe", ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
        {WindowsPath(dir) + "\\nodir\\missing.exe", ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
        {"", ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
        {"  ", ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
        {WindowsPath(dir) + "\\text.exe", ERROR_BAD_FORMAT, ERROR_BAD_EXE_FORMAT},
        {WindowsPath(dir) + "\\plain.exe", ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
        {WindowsPath(dir), ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND}, // a directory
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WinExec(c.line.c_str(), SW_SHOWNORMAL), c.winExec) << c.line;
        Started started = Start(c.line);
        EXPECT_FALSE(started.ok) << c.line;
        EXPECT_EQ(started.error, c.createProcess) << c.line;
    }
}

TEST(ProcessStart, EveryStartGoesToTheJournal) {
    ASSERT_TRUE(UseOwnJournal("process-journal.jsonl"));
    StandIn program(Prefix() + "/journal/t.exe", 0);
    RunToEnd(program.Windows() + " arg");
    EXPECT_EQ(WinExec("Inst_English\\Setup.exe", SW_SHOWNORMAL), 2u);
    std::vector<std::string> lines = JournalLines("process_start");
    ASSERT_EQ(lines.size(), 2u);
    std::string escaped = program.Windows();
    for (size_t at = 0; (at = escaped.find('\\', at)) != std::string::npos; at += 2)
        escaped.insert(at, "\\");
    EXPECT_NE(lines[0].find("\"api\":\"CreateProcessA\",\"command_line\":\"" + escaped + " arg\","),
              std::string::npos)
        << lines[0];
    EXPECT_NE(lines[0].find("\"show\":null,\"image\":\"" + escaped + "\","), std::string::npos)
        << lines[0];
    EXPECT_NE(lines[0].find("\"result\":1"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("\"api\":\"WinExec\",\"command_line\":\"Inst_English\\\\Setup.exe\","
                            "\"command_line_hex\":\"496e73745f456e676c6973685c53657475702e657865\","
                            "\"show\":1,\"image\":null,\"image_hex\":null,\"result\":2"),
              std::string::npos)
        << lines[1];
}

} // namespace
