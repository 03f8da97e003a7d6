// Helpers of the host-only tests: the test machine's directory, files in it
// and the journal.
#pragma once

#include "platform/win32.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace host_test {

// The test machine's directory ($HOSTWIN_PREFIX), created by the machine's first use.
inline std::string Prefix() {
    GetACP();
    return std::getenv("HOSTWIN_PREFIX");
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The journal's lines of one event, in order.
inline std::vector<std::string> JournalLines(const std::string& event) {
    std::vector<std::string> lines;
    std::ifstream journal(std::getenv("HOSTWIN_JOURNAL"));
    for (std::string line; std::getline(journal, line);)
        if (line.find("\"event\":\"" + event + "\"") != std::string::npos) lines.push_back(line);
    return lines;
}

// Points the journal at a file of the test's own in the machine's directory.
inline bool UseOwnJournal(const std::string& name) {
    return setenv("HOSTWIN_JOURNAL", (Prefix() + "/" + name).c_str(), 1) == 0;
}

// Runs the tests the filter names again on a Japanese machine (code page
// 932): a child test program with HOSTWIN_ACP=932 and a machine of its own.
// True when they passed there; also true in such a re-run itself, which
// does not start another.
inline bool PassOnAJapaneseMachine(const char* filter) {
    if (std::getenv("HOSTWIN_ACP")) return true;
    pid_t pid = fork();
    if (pid == 0) {
        setenv("HOSTWIN_ACP", "932", 1);
        unsetenv("HOSTWIN_JOURNAL");
        std::string filterOption = std::string("--gtest_filter=") + filter;
        execl("/proc/self/exe", "test_platform", filterOption.c_str(), "--gtest_brief=1",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace host_test
