// The test programs' main: gives every test process a machine of its own, so
// that tests run in parallel never share a registry store, a drive C: or a
// journal. The prefix is $HOSTWIN_PREFIX/p<pid> (the base comes from CTest)
// and the journal is journal.jsonl in it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    const char* base = std::getenv("HOSTWIN_PREFIX");
    std::string prefix =
        std::string(base && *base ? base : "/tmp/hostwin-tests") + "/p" + std::to_string(getpid());
    setenv("HOSTWIN_PREFIX", prefix.c_str(), 1);
    if (!std::getenv("HOSTWIN_JOURNAL"))
        setenv("HOSTWIN_JOURNAL", (prefix + "/journal.jsonl").c_str(), 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
