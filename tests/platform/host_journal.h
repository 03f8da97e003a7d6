// Host-only test helpers: a journal file of the test's own, read back line
// by line, and standard input taken away from the terminal so that the host
// plays the user.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <initializer_list>
#include <string>
#include <unistd.h>
#include <vector>

namespace host_tests {

// Points HOSTWIN_JOURNAL at a fresh file for one test; restores it afterwards.
class OwnJournal {
public:
    OwnJournal() {
        const char* old = std::getenv("HOSTWIN_JOURNAL");
        previous_ = old ? old : "";
        const char* prefix = std::getenv("HOSTWIN_PREFIX");
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::string(prefix ? prefix : "/tmp") + "/" + test->test_suite_name() + "." +
                test->name() + ".jsonl";
        std::remove(path_.c_str());
        setenv("HOSTWIN_JOURNAL", path_.c_str(), 1);
    }
    ~OwnJournal() { setenv("HOSTWIN_JOURNAL", previous_.c_str(), 1); }

    // The journal's lines whose event is `event`.
    std::vector<std::string> Lines(const std::string& event) const {
        std::vector<std::string> found;
        std::ifstream in(path_);
        std::string line;
        while (std::getline(in, line))
            if (line.find("{\"event\":\"" + event + "\"") == 0) found.push_back(line);
        return found;
    }

private:
    std::string path_;
    std::string previous_;
};

// The raw value of a key in a journal line: a string without its quotes, a
// number or null; "<missing>" when the key is not there.
inline std::string Field(const std::string& line, const std::string& key) {
    std::string marker = "\"" + key + "\":";
    size_t start = line.find(marker);
    if (start == std::string::npos) return "<missing>";
    start += marker.size();
    if (line[start] == '"') {
        std::string value;
        for (size_t i = start + 1; i < line.size() && line[i] != '"'; ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) ++i;
            value += line[i];
        }
        return value;
    }
    size_t end = line.find_first_of(",}", start);
    return line.substr(start, end - start);
}

// Expects the fields of a journal line, each given as "key=value" (the value
// as Field reads it).
inline void ExpectFields(const std::string& line, std::initializer_list<std::string> fields) {
    for (const std::string& field : fields) {
        size_t equals = field.find('=');
        EXPECT_EQ(Field(line, field.substr(0, equals)), field.substr(equals + 1)) << line;
    }
}

// Nobody at the terminal from now on in this process.
inline void DetachFromTerminal() {
    int fd = open("/dev/null", O_RDONLY);
    if (fd >= 0) {
        dup2(fd, STDIN_FILENO);
        close(fd);
    }
}

} // namespace host_tests
