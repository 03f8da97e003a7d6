// Helpers of the conformance tests: the same tests run on the host layer and,
// built for Windows, against the real functions. Each test works in a
// directory of its own below C:\conformance that it empties first.
#pragma once

#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <source_location>
#include <string>
#include <string_view>

namespace conformance {

// The test's own directory "C:\conformance\<suite>.<test>", created and emptied.
inline std::string FreshDirectory() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    CreateDirectoryA("C:\\conformance", nullptr);
    std::string directory =
        std::string("C:\\conformance\\") + info->test_suite_name() + "." + info->name();
    CreateDirectoryA(directory.c_str(), nullptr);
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string_view entry = data.cFileName;
            if (entry == "." || entry == "..") continue;
            std::string name = directory + "\\" + data.cFileName;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryA(name.c_str());
            else
                DeleteFileA(name.c_str());
        } while (FindNextFileA(search, &data));
        FindClose(search);
    }
    return directory;
}

// Writes a file with exactly these bytes.
inline void WriteBytes(const std::string& name, std::string_view bytes) {
    HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << name << " error " << GetLastError();
    DWORD done = 0;
    EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr));
    EXPECT_EQ(done, bytes.size());
    CloseHandle(file);
}

// The bytes of a file; "<missing>" when it cannot be opened.
inline std::string ReadBytes(const std::string& name) {
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char chunk[512];
    DWORD done = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &done, nullptr) && done > 0)
        bytes.append(chunk, done);
    CloseHandle(file);
    return bytes;
}

// A scoped trace naming the caller's line, for helpers that check on its behalf.
#define CONFORMANCE_TRACE(where)                                                                   \
    ::testing::ScopedTrace trace__((where).file_name(), static_cast<int>((where).line()), "")

// True when the tests run under Wine (its ntdll exports wine_get_version);
// false on Windows and on the host.
inline bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// Skips a case where Wine itself departs from Windows, naming how; the case
// still runs on Windows and on the host.
#define SKIP_WHERE_WINE_DIFFERS(how)                                                               \
    if (::conformance::RunningUnderWine()) GTEST_SKIP() << "Wine differs from Windows: " << how

// Fills a buffer with a sentinel byte so that writes past the promised end show.
constexpr char kSentinel = '\xA5';

} // namespace conformance
