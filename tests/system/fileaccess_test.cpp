// The file existence test and the file handle wrappers over the host's files.
#include "system/fileaccess.h"

#include <gtest/gtest.h>

namespace {

class FileAccess : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryA(dir_.c_str(), nullptr);
        DeleteFileA((dir_ + "\\file.txt").c_str());
    }
    std::string Path(const char* name) const { return dir_ + "\\" + name; }

    // Creates a file with the given contents and, when year is set, that last-write year.
    void MakeFile(const char* name, const std::string& bytes, WORD year = 0) {
        HANDLE file = FileCreate(Path(name));
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        EXPECT_EQ(FileWrite(file, bytes.data(), static_cast<int32_t>(bytes.size())),
                  static_cast<int32_t>(bytes.size()));
        if (year) {
            SYSTEMTIME time = {year, 6, 0, 15, 12, 0, 0, 0};
            FILETIME stamp;
            ASSERT_TRUE(SystemTimeToFileTime(&time, &stamp));
            ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &stamp));
        }
        FileClose(file);
    }

    std::string dir_ = "C:\\fileaccess";
};

TEST_F(FileAccess, PresenceFollowsTheDosStamp) {
    MakeFile("file.txt", "x");
    MakeFile("old.txt", "x", 1975);
    MakeFile("late.txt", "x", 2110);
    MakeFile("dated.txt", "x", 2001);
    EXPECT_TRUE(FileIsPresent(Path("file.txt")));
    EXPECT_TRUE(FileIsPresent(Path("FILE.TXT")));
    EXPECT_FALSE(FileIsPresent(dir_));
    EXPECT_FALSE(FileIsPresent(Path("missing.txt")));
    EXPECT_FALSE(FileIsPresent(Path("nodir\\file.txt")));
    EXPECT_FALSE(FileIsPresent(Path("old.txt")));
    EXPECT_FALSE(FileIsPresent(Path("late.txt")));
    EXPECT_FALSE(FileIsPresent(""));

    // The stamp is the local last-write time in DOS form.
    int32_t stamp = FileDosStamp(Path("dated.txt"));
    SYSTEMTIME time = {2001, 6, 0, 15, 12, 0, 0, 0};
    FILETIME utc, local;
    ASSERT_TRUE(SystemTimeToFileTime(&time, &utc));
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    WORD date = 0, dosTime = 0;
    ASSERT_TRUE(FileTimeToDosDateTime(&local, &date, &dosTime));
    EXPECT_EQ(stamp, static_cast<int32_t>((static_cast<uint32_t>(date) << 16) | dosTime));
    // A pattern is matched by the system and its first match counts.
    EXPECT_EQ(FileDosStamp(Path("dat*.txt")), stamp);
}

TEST_F(FileAccess, HandleFunctionsReportFailureAsMinusOne) {
    MakeFile("file.txt", "hello world");
    HANDLE file = FileOpen(Path("file.txt"), 0x00); // read, no sharing
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char buffer[16] = {};
    EXPECT_EQ(FileSeek(file, 6, 0), 6);
    EXPECT_EQ(FileRead(file, buffer, 16), 5);
    EXPECT_EQ(std::string(buffer, 5), "world");
    EXPECT_EQ(FileSeek(file, -3, 2), 8);
    EXPECT_EQ(FileSeek(file, -1, 1), 7);
    EXPECT_EQ(FileSeek(file, -100, 1), -1);
    EXPECT_EQ(FileWrite(file, "x", 1), -1); // opened for reading only
    EXPECT_EQ(FileRead(file, buffer, -1), -1);
    // No sharing: a second handle is refused.
    EXPECT_EQ(FileOpen(Path("file.txt"), 0x20), INVALID_HANDLE_VALUE);
    FileClose(file);

    HANDLE reader = FileOpen(Path("file.txt"), 0x20); // read, others may read
    HANDLE second = FileOpen(Path("file.txt"), 0x40); // read, others may read and write
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_NE(second, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FileOpen(Path("file.txt"), 0x41),
              INVALID_HANDLE_VALUE); // the reader shares no writing
    FileClose(second);
    FileClose(reader);

    HANDLE both = FileOpen(Path("file.txt"), 0x102); // read and write; bit 8 is ignored
    ASSERT_NE(both, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FileSeek(both, 0, 2), 11);
    EXPECT_EQ(FileWrite(both, "!", 1), 1);
    FileClose(both);
    EXPECT_EQ(FileOpen(Path("file.txt"), 0x03), INVALID_HANDLE_VALUE); // no such access
    EXPECT_EQ(FileOpen(Path("file.txt"), 0x50), INVALID_HANDLE_VALUE); // no such sharing
    EXPECT_EQ(FileOpen(Path("missing.txt"), 0), INVALID_HANDLE_VALUE);
    EXPECT_EQ(FileRead(INVALID_HANDLE_VALUE, buffer, 1), -1);

    HANDLE again = FileCreate(Path("file.txt")); // empties the file
    EXPECT_EQ(FileSeek(again, 0, 2), 0);
    FileClose(again);
}

} // namespace
