// Host-only checks of the profile functions: where the host follows Windows'
// documented behaviour and Wine differs, and how writes reach the disk.
#include "conformance.h"
#include "host_test_support.h"

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>

using namespace conformance;

namespace {

class ProfileHost : public ::testing::Test {
protected:
    void SetUp() override { file_ = FreshDirectory() + "\\test.ini"; }
    std::string file_;
};

TEST_F(ProfileHost, CutListEndsWithOneZeroAndLeavesTheLastByte) {
    WriteBytes(file_, "[aa]\r\n[bb]\r\n[cc]\r\n");
    char buffer[6 + 4];
    std::memset(buffer, kSentinel, sizeof(buffer));
    EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, nullptr, buffer, 6, file_.c_str()), 4u);
    EXPECT_EQ(std::string_view(buffer, 5), std::string_view("aa\0b\0", 5));
    EXPECT_EQ(buffer[5], kSentinel);
    EXPECT_EQ(buffer[6], kSentinel);
}

TEST_F(ProfileHost, WritesKeepBlankLinesAndLineEnds) {
    WriteBytes(file_, "[s]\nk=1\n\n[t]\n\nx=1\n\n");
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "2", file_.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("t", "y", "2", file_.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("u", "z", "3", file_.c_str()));
    EXPECT_EQ(ReadBytes(file_), "[s]\nk=2\n\n[t]\n\nx=1\ny=2\n\n[u]\nz=3\n");
}

TEST_F(ProfileHost, WritesKeepAByteOrderMark) {
    WriteBytes(file_, "\xEF\xBB\xBF[s]\r\nk=1\r\n");
    char buffer[8];
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", buffer, 8, file_.c_str()), 1u);
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "2", file_.c_str()));
    EXPECT_EQ(ReadBytes(file_), "\xEF\xBB\xBF[s]\r\nk=2\r\n");
}

TEST_F(ProfileHost, ReadOnlyFileIsNotWritten) {
    HANDLE file = CreateFileA(file_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_READONLY, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", file_.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadBytes(file_), "");
}

// A write that fails half-way (here: the file size limit) leaves the old file
// whole and no temporary file behind.
TEST_F(ProfileHost, FailedWriteLeavesTheOldFileWhole) {
    std::string original = "[s]\r\nk=old\r\n";
    WriteBytes(file_, original);
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 64;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    BOOL written =
        WritePrivateProfileStringA("s", "k", std::string(500, 'x').c_str(), file_.c_str());
    DWORD error = GetLastError();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(ReadBytes(file_), original);

    std::string directory = file_.substr(0, file_.rfind('\\'));
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    int files = 0;
    do
        files += (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
    while (FindNextFileA(search, &data));
    FindClose(search);
    EXPECT_EQ(files, 1);
}

// On a Japanese machine a name whose only 0x5C byte is a Shift-JIS trail
// byte has no directory, so it names a file in the Windows directory. The
// machine is read once per process: the check runs in a fresh one.
TEST(ProfileHostShiftJis, TrailByteIsNoDirectorySeparator) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("HOSTWIN_ACP", "932", 1);
            const char* name = "\x95\x5C.ini"; // one double-byte character, then ".ini"
            bool written = WritePrivateProfileStringA("s", "k", "v", name);
            std::string inWindows = ReadBytes(std::string("C:\\windows\\") + name);
            std::exit(written && inWindows == "[s]\r\nk=v\r\n" ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(ProfileHostShiftJis, ConformanceTestsPassUnderCodePage932) {
    // Values converted from Unicode files, names compared without case and
    // buffer cuts, all again on a Japanese machine.
    EXPECT_TRUE(host_test::PassOnAJapaneseMachine("Profile.*"));
}

} // namespace
