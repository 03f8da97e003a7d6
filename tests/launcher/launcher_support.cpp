#include "launcher_support.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <iterator>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace launcher_test {

namespace fs = std::filesystem;

std::string ProductKey(const std::string& applicationName) {
    return "HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORVANTIX\\" + applicationName;
}

std::string UninstallEntry(const std::string& applicationName) {
    return "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
           applicationName;
}

std::string ShiftJis(const std::string& utf8) {
    iconv_t converter = iconv_open("CP932", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        ADD_FAILURE() << "iconv has no CP932";
        return {};
    }
    std::string in = utf8;
    std::string out(in.size() * 2 + 4, '\0');
    char* inPointer = in.data();
    char* outPointer = out.data();
    size_t inLeft = in.size(), outLeft = out.size();
    if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<size_t>(-1))
        ADD_FAILURE() << "not convertible to CP932: " << utf8;
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return out;
}

std::string RegString(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string EarlierCopyLines(const std::string& applicationName, const std::string& commandData) {
    std::string lines = "[" + ProductKey(applicationName) + "]\r\n\r\n[" +
                        UninstallEntry(applicationName) + "]\r\n";
    if (!commandData.empty()) lines += "\"UninstallString\"=" + commandData + "\r\n";
    return lines + "\r\n";
}

std::string WindowsPath(const std::string& prefix, const std::string& posixPath) {
    const std::string driveC = prefix + "/drive_c/";
    std::string path = posixPath.rfind(driveC, 0) == 0 ? "C:\\" + posixPath.substr(driveC.size())
                                                       : "Z:" + posixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

void WriteFile(const std::string& path, const std::string& bytes, bool executable) {
    fs::create_directories(fs::path(path).parent_path());
    std::string temporary = path + ".tmp" + std::to_string(getpid());
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file << bytes;
        ASSERT_TRUE(file.good()) << temporary;
    }
    if (executable) chmod(temporary.c_str(), 0755);
    ASSERT_EQ(std::rename(temporary.c_str(), path.c_str()), 0) << path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

void WriteStandIn(const std::string& path, const std::string& records, const std::string& role,
                  const std::vector<std::string>& arguments) {
    // Single quotes for the shell: none of the paths has one.
    std::string script = "#!/bin/sh\nexec python3 '" SETUP_SOURCE_DIR
                         "/tools/medium/stand_in.py' " +
                         role + " '" + records + "' \"$0\"";
    for (const std::string& argument : arguments)
        script += " '" + argument + "'";
    WriteFile(path, script + "\n", true);
}

void WriteStandInUninstaller(const std::string& path, const std::string& records,
                             const std::string& applicationName, bool removesCopy) {
    // The keys it deletes, whatever the command it is started with.
    std::string copies = "{\"copy\":[";
    for (const std::string& key : {ProductKey(applicationName), UninstallEntry(applicationName)}) {
        copies += copies.back() == '[' ? "\"" : ",\"";
        for (char c : key)
            copies += c == '\\' ? std::string("\\\\") : std::string(1, c);
        copies += "\"";
    }
    WriteFile(records + ".copies.json", copies + "]}\n");
    WriteStandIn(
        path, records, "uninstaller",
        {removesCopy ? "removes" : "leaves", HOSTWIN_REG_PROGRAM, records + ".copies.json"});
}

std::string JsonText(const std::string& raw) {
    std::string text;
    for (size_t i = 1; i + 1 < raw.size(); ++i) {
        char c = raw[i];
        if (c == '\\') {
            c = raw[++i];
            // Besides \\ and \", the writer escapes control characters only.
            if (c == 'n') c = '\n';
            if (c == 't') c = '\t';
            if (c == 'r') c = '\r';
            if (c == 'u') {
                c = static_cast<char>(std::strtol(raw.substr(i + 1, 4).c_str(), nullptr, 16));
                i += 4;
            }
        }
        text += c;
    }
    return text;
}

RunOutcome Run(const RunRequest& request) {
    RunOutcome outcome;
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        std::string variable = *entry;
        std::string name = variable.substr(0, variable.find('='));
        if (name.rfind("HOSTWIN_", 0) == 0 || request.environment.count(name)) continue;
        environment.push_back(variable);
    }
    for (const auto& [name, value] : request.environment)
        environment.push_back(name + "=" + value);
    std::vector<char*> argv, envp;
    for (const std::string& argument : request.arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    for (const std::string& variable : environment)
        envp.push_back(const_cast<char*>(variable.c_str()));
    envp.push_back(nullptr);

    char outputPath[] = "/tmp/launcher-test-output-XXXXXX";
    int output = mkstemp(outputPath);
    if (output < 0) {
        ADD_FAILURE() << "no output file";
        return outcome;
    }
    unlink(outputPath);
    pid_t child = fork();
    if (child == 0) {
        // Nobody at the terminal: message boxes take their default at once and
        // the host closes windows that wait for input.
        int input = open("/dev/null", O_RDONLY);
        dup2(input, STDIN_FILENO);
        dup2(output, STDOUT_FILENO);
        dup2(output, STDERR_FILENO);
        if (!request.directory.empty() && chdir(request.directory.c_str()) != 0) _exit(126);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(request.timeoutSeconds);
    int status = 0;
    for (;;) {
        pid_t ended = waitpid(child, &status, WNOHANG);
        if (ended == child) break;
        if (ended < 0 && errno != EINTR) break;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            outcome.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!outcome.timedOut && WIFEXITED(status)) outcome.status = WEXITSTATUS(status);
    lseek(output, 0, SEEK_SET);
    char buffer[4096];
    for (ssize_t n; (n = read(output, buffer, sizeof(buffer))) > 0;)
        outcome.output.append(buffer, n);
    close(output);
    return outcome;
}

namespace {
RunOutcome RunReg(const std::string& prefix, const std::vector<std::string>& arguments) {
    RunRequest request;
    request.arguments.push_back(HOSTWIN_REG_PROGRAM);
    request.arguments.insert(request.arguments.end(), arguments.begin(), arguments.end());
    request.environment["HOSTWIN_PREFIX"] = prefix;
    return Run(request);
}
} // namespace

int Reg(const std::string& prefix, const std::vector<std::string>& arguments) {
    return RunReg(prefix, arguments).status;
}

void ImportRegistry(const std::string& prefix, const std::string& lines) {
    std::string file = prefix + "/fixture.reg";
    WriteFile(file, "Windows Registry Editor Version 5.00\r\n\r\n" + lines);
    RunOutcome outcome = RunReg(prefix, {"import", file});
    ASSERT_EQ(outcome.status, 0) << outcome.output;
}

bool KeyExists(const std::string& prefix, const std::string& key) {
    return Reg(prefix, {"query", key}) == 0;
}

std::string QueryKey(const std::string& prefix, const std::string& key) {
    RunOutcome outcome = RunReg(prefix, {"query", key});
    return outcome.status == 0 ? outcome.output : std::string();
}

std::vector<JournalLine> JournalOf(const std::string& journalPath, const std::string& event) {
    std::vector<JournalLine> lines;
    std::ifstream in(journalPath);
    for (std::string line; std::getline(in, line);)
        if (line.find("\"event\":\"" + event + "\"") != std::string::npos) lines.push_back({line});
    return lines;
}

} // namespace launcher_test
