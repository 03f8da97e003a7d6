// Helpers of the registry tests. They use nothing but the Win32 functions, so
// the tests that use them also build for Windows and run against the real
// registry under Wine.
#pragma once

#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace registry_test {

// The caller's position, for failures reported from helpers.
struct Where {
    const char* file;
    int line;
};
#define HERE                                                                                       \
    ::registry_test::Where {                                                                       \
        __FILE__, __LINE__                                                                         \
    }

constexpr BYTE kSentinel = 0xEE;

// Bytes with zeros among them: Bytes("ab\0c", 5).
inline std::string Bytes(const char* data, size_t size) {
    return std::string(data, size);
}

// A buffer with sentinel bytes behind its usable part, to catch writes past its end.
class Buffer {
public:
    explicit Buffer(size_t size) : bytes_(size + kGuard, kSentinel), size_(size) {}
    BYTE* Data() { return bytes_.data(); }
    char* Chars() { return reinterpret_cast<char*>(bytes_.data()); }
    DWORD Size() const { return static_cast<DWORD>(size_); }
    std::string Contents(size_t count) const {
        return std::string(reinterpret_cast<const char*>(bytes_.data()), count);
    }
    // The bytes from `from` to the end of the guard still hold the sentinel.
    bool UntouchedFrom(size_t from) const {
        for (size_t i = from; i < bytes_.size(); ++i)
            if (bytes_[i] != kSentinel) return false;
        return true;
    }
    bool GuardIntact() const { return UntouchedFrom(size_); }
    bool Untouched() const { return UntouchedFrom(0); }

private:
    static constexpr size_t kGuard = 8;
    std::vector<BYTE> bytes_;
    size_t size_;
};

// The names of an open key's subkeys, in the order RegEnumKeyExA gives them.
inline std::vector<std::string> SubkeyNames(HKEY key) {
    std::vector<std::string> names;
    char name[512];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof(name);
        if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    return names;
}

// Deletes a key with all its subkeys (RegDeleteKeyA refuses keys with
// subkeys), in the registry view that the KEY_WOW64_* flag picks (none: the
// process's own). Subkeys are reached from their parent's handle: Wine's A
// functions refuse sub-paths longer than about 260 characters.
inline void DeleteTree(HKEY base, const std::string& path, REGSAM view = 0) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(base, path.c_str(), 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) return;
    for (const std::string& child : SubkeyNames(key))
        DeleteTree(key, child, view);
    RegCloseKey(key);
    RegDeleteKeyExA(base, path.c_str(), view, 0);
}

// A key of the test's own below HKEY_CURRENT_USER, named after the process so
// that test programs running at the same time never meet; it is deleted with
// everything in it when the test ends.
class TestKey {
public:
    TestKey() : path_("Software\\HostwinRegistryTest" + std::to_string(GetCurrentProcessId())) {
        DeleteTree(HKEY_CURRENT_USER, path_);
        status_ = RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &key_, nullptr);
    }
    ~TestKey() {
        if (key_) RegCloseKey(key_);
        DeleteTree(HKEY_CURRENT_USER, path_);
    }
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    bool Created() const { return status_ == ERROR_SUCCESS; }
    HKEY Handle() const { return key_; }
    const std::string& Path() const { return path_; }
    // The path of a key below the test key.
    std::string Below(const std::string& sub) const { return path_ + "\\" + sub; }

private:
    std::string path_;
    HKEY key_ = nullptr;
    LSTATUS status_;
};

// Creates (or opens) a key below base and closes it again.
inline LSTATUS MakeKey(HKEY base, const std::string& path) {
    HKEY key = nullptr;
    LSTATUS status =
        RegCreateKeyExA(base, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) RegCloseKey(key);
    return status;
}

inline LSTATUS SetBytes(HKEY key, const char* name, DWORD type, const std::string& bytes) {
    // Followed in memory by a byte that is not zero: Windows takes a zero
    // right after a text's bytes for its terminator and stores it too.
    const std::string guarded = bytes + '\x01';
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(guarded.data()),
                          static_cast<DWORD>(bytes.size()));
}

// Checks a value as the A functions report it: its type and size from a size
// query; its bytes read into a buffer of exactly that size, with nothing
// written behind it; and ERROR_MORE_DATA with the buffer untouched and the
// size needed reported when the buffer is one byte short.
inline void ExpectValue(Where where, HKEY key, const char* name, DWORD type,
                        const std::string& expected) {
    ::testing::ScopedTrace trace(where.file, where.line, name ? name : "(default value)");
    DWORD actualType = 99, size = 12345;
    ASSERT_EQ(RegQueryValueExA(key, name, nullptr, &actualType, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(actualType, type);
    EXPECT_EQ(size, expected.size());

    Buffer exact(expected.size());
    size = exact.Size();
    actualType = 99;
    EXPECT_EQ(RegQueryValueExA(key, name, nullptr, &actualType, exact.Data(), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(actualType, type);
    EXPECT_EQ(size, expected.size());
    EXPECT_EQ(exact.Contents(expected.size()), expected);
    EXPECT_TRUE(exact.GuardIntact());

    if (expected.empty()) return;
    Buffer tooSmall(expected.size() - 1);
    size = tooSmall.Size();
    EXPECT_EQ(RegQueryValueExA(key, name, nullptr, &actualType, tooSmall.Data(), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, expected.size());
    EXPECT_TRUE(tooSmall.Untouched());
}

} // namespace registry_test
