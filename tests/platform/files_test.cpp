// Conformance of the file functions: dispositions, sharing, errors, searches,
// paths and file times as Windows reports them.
#include "conformance.h"

#include <algorithm>
#include <vector>

using namespace conformance;

namespace {

class Files : public ::testing::Test {
protected:
    void SetUp() override { dir_ = FreshDirectory(); }
    std::string Path(const char* name) const { return dir_ + "\\" + name; }

    HANDLE Open(const char* name, DWORD access, DWORD share, DWORD disposition,
                DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        return CreateFileA(Path(name).c_str(), access, share, nullptr, disposition, attributes,
                           nullptr);
    }

    // Expects a failure with this error, reported at the caller's line.
    void ExpectError(bool failed, DWORD error,
                     std::source_location where = std::source_location::current()) {
        CONFORMANCE_TRACE(where);
        EXPECT_TRUE(failed);
        EXPECT_EQ(GetLastError(), error);
    }

    std::string dir_;
};

TEST_F(Files, DispositionsAndTheirErrors) {
    ExpectError(Open("none", GENERIC_READ, 0, OPEN_EXISTING) == INVALID_HANDLE_VALUE,
                ERROR_FILE_NOT_FOUND);
    ExpectError(Open("nodir\\none", GENERIC_READ, 0, OPEN_EXISTING) == INVALID_HANDLE_VALUE,
                ERROR_PATH_NOT_FOUND);
    HANDLE file = Open("a.txt", GENERIC_READ | GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    ExpectError(Open("a.txt\\x", GENERIC_READ, 0, OPEN_EXISTING) == INVALID_HANDLE_VALUE,
                ERROR_PATH_NOT_FOUND);
    ExpectError(Open("a.txt", GENERIC_WRITE, 0, CREATE_NEW) == INVALID_HANDLE_VALUE,
                ERROR_FILE_EXISTS);
    WriteBytes(Path("a.txt"), "hello");
    file = Open("A.TXT", GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFileSize(file, nullptr), 0u);
    CloseHandle(file);
    file = Open("a.txt", GENERIC_WRITE, 0, OPEN_ALWAYS);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(file);
    file = Open("new.txt", GENERIC_WRITE, 0, OPEN_ALWAYS);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    CloseHandle(file);
    ExpectError(CreateFileA(dir_.c_str(), GENERIC_READ, 3, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr) == INVALID_HANDLE_VALUE,
                ERROR_ACCESS_DENIED);
}

TEST_F(Files, SharingBetweenHandles) {
    WriteBytes(Path("s.txt"), "data");
    HANDLE reader = Open("s.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    HANDLE second = Open("s.txt", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    EXPECT_NE(second, INVALID_HANDLE_VALUE);
    CloseHandle(second);
    ExpectError(Open("s.txt", GENERIC_WRITE, 3, OPEN_EXISTING) == INVALID_HANDLE_VALUE,
                ERROR_SHARING_VIOLATION);
    ExpectError(Open("s.txt", GENERIC_READ, 0, OPEN_EXISTING) == INVALID_HANDLE_VALUE,
                ERROR_SHARING_VIOLATION);
    ExpectError(Open("s.txt", GENERIC_WRITE, 3, CREATE_ALWAYS) == INVALID_HANDLE_VALUE,
                ERROR_SHARING_VIOLATION);
    ExpectError(DeleteFileA(Path("s.txt").c_str()) == FALSE, ERROR_SHARING_VIOLATION);
    // A handle without data access takes no part in sharing.
    HANDLE query = Open("s.txt", 0, 0, OPEN_EXISTING);
    EXPECT_NE(query, INVALID_HANDLE_VALUE);
    CloseHandle(query);
    CloseHandle(reader);
    EXPECT_EQ(ReadBytes(Path("s.txt")), "data");
    EXPECT_TRUE(DeleteFileA(Path("s.txt").c_str()));
}

TEST_F(Files, ReadWriteAndPosition) {
    HANDLE file = Open("rw.txt", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    EXPECT_TRUE(WriteFile(file, "hello", 5, &done, nullptr));
    EXPECT_EQ(done, 5u);
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(SetFilePointer(file, -10, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(SetFilePointer(file, 1, nullptr, FILE_BEGIN), 1u);
    char buffer[8] = {};
    EXPECT_TRUE(ReadFile(file, buffer, 8, &done, nullptr));
    EXPECT_EQ(std::string(buffer, done), "ello");
    EXPECT_TRUE(ReadFile(file, buffer, 8, &done, nullptr));
    EXPECT_EQ(done, 0u); // end of file is success with nothing read
    EXPECT_EQ(SetFilePointer(file, 3, nullptr, FILE_END), 8u);
    EXPECT_TRUE(WriteFile(file, "X", 1, &done, nullptr));
    DWORD high = 7;
    EXPECT_EQ(GetFileSize(file, &high), 9u);
    EXPECT_EQ(high, 0u);
    CloseHandle(file);
    EXPECT_EQ(ReadBytes(Path("rw.txt")), std::string("hello\0\0\0X", 9));

    HANDLE writer = Open("rw.txt", GENERIC_WRITE, 0, OPEN_EXISTING);
    ExpectError(!ReadFile(writer, buffer, 1, &done, nullptr), ERROR_ACCESS_DENIED);
    CloseHandle(writer);
    HANDLE reader = Open("rw.txt", GENERIC_READ, 0, OPEN_EXISTING);
    ExpectError(!WriteFile(reader, "x", 1, &done, nullptr), ERROR_ACCESS_DENIED);
    CloseHandle(reader);
    ExpectError(!CloseHandle(reader), ERROR_INVALID_HANDLE);
}

TEST_F(Files, DirectoriesAttributesAndDeletion) {
    std::string sub = Path("sub");
    EXPECT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    ExpectError(!CreateDirectoryA(sub.c_str(), nullptr), ERROR_ALREADY_EXISTS);
    ExpectError(!CreateDirectoryA(Path("no\\x").c_str(), nullptr), ERROR_PATH_NOT_FOUND);
    WriteBytes(sub + "\\f.txt", "x");
    EXPECT_EQ(GetFileAttributesA(sub.c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA((sub + "\\").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA((dir_ + "\\SUB\\F.TXT").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    ExpectError(GetFileAttributesA((sub + "\\f.txt\\").c_str()) == INVALID_FILE_ATTRIBUTES,
                ERROR_PATH_NOT_FOUND);
    ExpectError(GetFileAttributesA(Path("zz").c_str()) == INVALID_FILE_ATTRIBUTES,
                ERROR_FILE_NOT_FOUND);
    ExpectError(GetFileAttributesA(Path("no\\zz").c_str()) == INVALID_FILE_ATTRIBUTES,
                ERROR_PATH_NOT_FOUND);
    ExpectError(!RemoveDirectoryA(sub.c_str()), ERROR_DIR_NOT_EMPTY);
    ExpectError(!RemoveDirectoryA((sub + "\\f.txt").c_str()), ERROR_DIRECTORY);
    ExpectError(!DeleteFileA(sub.c_str()), ERROR_ACCESS_DENIED);
    ExpectError(!DeleteFileA(Path("zz").c_str()), ERROR_FILE_NOT_FOUND);
    ExpectError(!DeleteFileA(Path("no\\zz").c_str()), ERROR_PATH_NOT_FOUND);
    EXPECT_TRUE(DeleteFileA((sub + "\\f.txt").c_str()));
    EXPECT_TRUE(RemoveDirectoryA(sub.c_str()));
    ExpectError(!RemoveDirectoryA(sub.c_str()), ERROR_FILE_NOT_FOUND);
}

TEST_F(Files, SearchesMatchWildcardsWithoutCase) {
    EXPECT_TRUE(CreateDirectoryA(Path("sub").c_str(), nullptr));
    WriteBytes(Path("Setup.INI"), "12345");
    WriteBytes(Path("readme"), "");
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(Path("*").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    std::vector<std::string> names;
    do
        names.push_back(data.cFileName);
    while (FindNextFileA(search, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(search));
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names[0], ".");
    EXPECT_EQ(names[1], "..");
    std::sort(names.begin() + 2, names.end());
    EXPECT_EQ(std::vector<std::string>(names.begin() + 2, names.end()),
              (std::vector<std::string>{"Setup.INI", "readme", "sub"}));

    for (const char* pattern : {"*.ini", "s?TUP.*", "setup.ini", "*.*"}) {
        search = FindFirstFileA(Path(pattern).c_str(), &data);
        ASSERT_NE(search, INVALID_HANDLE_VALUE) << pattern;
        std::string first = data.cFileName;
        while (first != "Setup.INI" && FindNextFileA(search, &data))
            first = data.cFileName;
        EXPECT_EQ(first, "Setup.INI") << pattern;
        EXPECT_EQ(data.nFileSizeLow, 5u);
        FindClose(search);
    }
    search = FindFirstFileA(Path("sub").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    FindClose(search);
    ExpectError(FindFirstFileA(Path("zz*").c_str(), &data) == INVALID_HANDLE_VALUE,
                ERROR_FILE_NOT_FOUND);
    ExpectError(FindFirstFileA(Path("no\\zz").c_str(), &data) == INVALID_HANDLE_VALUE,
                ERROR_PATH_NOT_FOUND);
    ExpectError(FindFirstFileA((dir_ + "\\").c_str(), &data) == INVALID_HANDLE_VALUE,
                ERROR_FILE_NOT_FOUND);
}

TEST_F(Files, WriteTimeSetAndFound) {
    HANDLE file = Open("old.txt", GENERIC_WRITE, 0, CREATE_ALWAYS);
    SYSTEMTIME old = {1975, 3, 0, 4, 5, 6, 7, 0};
    FILETIME time;
    ASSERT_TRUE(SystemTimeToFileTime(&old, &time));
    EXPECT_TRUE(SetFileTime(file, nullptr, nullptr, &time));
    CloseHandle(file);
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(Path("old.txt").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    FindClose(search);
    EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, time.dwLowDateTime);
    EXPECT_EQ(data.ftLastWriteTime.dwHighDateTime, time.dwHighDateTime);
}

TEST(FileTimes, DosDateTimeRange) {
    struct Case {
        SYSTEMTIME time;
        bool converts;
        WORD date, dosTime;
    };
    const Case cases[] = {
        {{1979, 12, 0, 31, 23, 59, 59, 0}, false, 0, 0},
        {{1980, 1, 0, 1, 0, 0, 0, 0}, true, 0x0021, 0x0000},
        {{2024, 6, 0, 15, 13, 45, 31, 0}, true, 0x58CF, 0x6DAF},
        {{2107, 12, 0, 31, 23, 59, 59, 0}, true, 0xFF9F, 0xBF7D},
    };
    for (const Case& c : cases) {
        FILETIME time;
        ASSERT_TRUE(SystemTimeToFileTime(&c.time, &time));
        WORD date = 0xAAAA, dosTime = 0xAAAA;
        EXPECT_EQ(FileTimeToDosDateTime(&time, &date, &dosTime) != FALSE, c.converts)
            << c.time.wYear;
        if (!c.converts) continue;
        EXPECT_EQ(date, c.date) << c.time.wYear;
        EXPECT_EQ(dosTime, c.dosTime) << c.time.wYear;
        FILETIME back;
        ASSERT_TRUE(DosDateTimeToFileTime(date, dosTime, &back));
        SYSTEMTIME round;
        ASSERT_TRUE(FileTimeToSystemTime(&back, &round));
        EXPECT_EQ(round.wYear, c.time.wYear);
        EXPECT_EQ(round.wSecond, c.time.wSecond & ~1);
    }
    FILETIME time;
    EXPECT_FALSE(DosDateTimeToFileTime(0, 0, &time));             // day 0
    EXPECT_FALSE(DosDateTimeToFileTime((13 << 5) | 1, 0, &time)); // month 13
    EXPECT_FALSE(DosDateTimeToFileTime(0x21, 30, &time));         // second 60
}

TEST(FileTimes, SystemTimeChecksAndWeekday) {
    FILETIME time;
    SYSTEMTIME february30 = {2024, 2, 0, 30, 0, 0, 0, 0};
    EXPECT_FALSE(SystemTimeToFileTime(&february30, &time));
    SYSTEMTIME year1600 = {1600, 12, 0, 31, 0, 0, 0, 0};
    EXPECT_FALSE(SystemTimeToFileTime(&year1600, &time));
    SYSTEMTIME leap = {2024, 2, 0, 29, 23, 59, 59, 999};
    ASSERT_TRUE(SystemTimeToFileTime(&leap, &time));
    SYSTEMTIME back;
    ASSERT_TRUE(FileTimeToSystemTime(&time, &back));
    EXPECT_EQ(back.wDayOfWeek, 4); // a Thursday
    EXPECT_EQ(back.wMilliseconds, 999);
    FILETIME known = {0x12345678, 0x01D00000};
    ASSERT_TRUE(FileTimeToSystemTime(&known, &back));
    EXPECT_EQ(back.wYear, 2014);
    EXPECT_EQ(back.wMonth, 11);
    EXPECT_EQ(back.wDay, 14);
    EXPECT_EQ(back.wDayOfWeek, 5);
    FILETIME negative = {0, 0x80000000};
    EXPECT_FALSE(FileTimeToSystemTime(&negative, &back));
    FILETIME local, utc;
    ASSERT_TRUE(FileTimeToLocalFileTime(&known, &local));
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
    EXPECT_EQ(utc.dwLowDateTime, known.dwLowDateTime);
    EXPECT_EQ(utc.dwHighDateTime, known.dwHighDateTime);
}

TEST_F(Files, PathsAndDirectories) {
    char buffer[MAX_PATH];
    std::memset(buffer, kSentinel, sizeof(buffer));
    EXPECT_EQ(GetWindowsDirectoryA(buffer, 5), 11u);
    EXPECT_EQ(buffer[0], kSentinel);
    EXPECT_EQ(GetWindowsDirectoryA(buffer, MAX_PATH), 10u);
    EXPECT_STREQ(buffer, "C:\\windows");
    EXPECT_EQ(GetSystemDirectoryA(buffer, MAX_PATH), 19u);
    EXPECT_STREQ(buffer, "C:\\windows\\system32");

    char saved[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, saved), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA((dir_ + "\\").c_str()));
    EXPECT_EQ(GetCurrentDirectoryA(3, buffer), dir_.size() + 1);
    EXPECT_EQ(GetCurrentDirectoryA(MAX_PATH, buffer), dir_.size());
    EXPECT_TRUE(std::equal(dir_.begin(), dir_.end(), buffer, [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    })) << buffer;
    WriteBytes(Path("Setup.INI"), "");
    ExpectError(!SetCurrentDirectoryA("Setup.INI"), ERROR_DIRECTORY);
    ExpectError(!SetCurrentDirectoryA("nothere"), ERROR_FILE_NOT_FOUND);

    LPSTR name = nullptr;
    EXPECT_EQ(GetFullPathNameA("a\\..\\b.txt.", MAX_PATH, buffer, &name), dir_.size() + 6);
    EXPECT_EQ(std::string(buffer).substr(dir_.size()), "\\b.txt");
    EXPECT_STREQ(name, "b.txt");
    EXPECT_EQ(GetFullPathNameA("C:\\a\\..\\..", MAX_PATH, buffer, &name), 3u);
    EXPECT_STREQ(buffer, "C:\\");
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(GetFullPathNameA("c:/a//b", MAX_PATH, buffer, &name), 6u);
    EXPECT_STREQ(buffer, "c:\\a\\b");
    EXPECT_EQ(GetFullPathNameA("x.txt", 4, buffer, nullptr), dir_.size() + 7);

    EXPECT_EQ(GetLongPathNameA("setup.ini", buffer, MAX_PATH), 9u);
    EXPECT_STREQ(buffer, "Setup.INI");
    EXPECT_EQ(GetLongPathNameA("setup.ini", buffer, 3), 10u);
    ExpectError(GetLongPathNameA("zz", buffer, MAX_PATH) == 0, ERROR_FILE_NOT_FOUND);
    SetCurrentDirectoryA(saved);
}

} // namespace

namespace {

// The program's own path through a buffer too small for it: cut, with the
// buffer's size as the result and ERROR_INSUFFICIENT_BUFFER. Windows puts a
// terminating zero in the buffer's last place; Wine fills it with the path.
TEST(ModuleFileName, ACutNameFillsTheBufferAndSaysSo) {
    char whole[1024] = {};
    const DWORD length = GetModuleFileNameA(nullptr, whole, sizeof(whole));
    ASSERT_GT(length, 4u);
    WCHAR wide[1024] = {};
    ASSERT_EQ(GetModuleFileNameW(nullptr, wide, 1024), length); // an ASCII path
    EXPECT_TRUE(std::equal(whole, whole + length, wide));

    char cut[1024];
    std::memset(cut, 'X', sizeof(cut));
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(GetModuleFileNameA(nullptr, cut, length), length);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(cut, length - 1), std::string(whole, length - 1));
    EXPECT_EQ(cut[length], 'X');
#ifndef _WIN32
    EXPECT_EQ(cut[length - 1], '\0');
#endif
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(GetModuleFileNameA(nullptr, cut, length + 1), length);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_EQ(cut[length], '\0');
}

} // namespace
