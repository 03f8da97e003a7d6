// Writes that fail part-way and files that cannot be read whole: the host
// registry store and the profile functions refuse the change and keep the
// old file exactly as it was.
#include "host_test_support.h"
#include "registry_test_support.h"

#include <csignal>
#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace host_test;
using namespace registry_test;

namespace {

std::string StorePath() {
    return Prefix() + "/registry.reg";
}

// The names in the machine's directory that are left-over new stores.
std::vector<std::string> NewStoresLeft() {
    std::vector<std::string> left;
    DIR* directory = opendir(Prefix().c_str());
    while (dirent* entry = directory ? readdir(directory) : nullptr)
        if (std::string(entry->d_name).find("registry.reg.new") != std::string::npos)
            left.push_back(entry->d_name);
    if (directory) closedir(directory);
    return left;
}

// Runs work with the file size limit of this process set to bytes (writes
// past it fail with EFBIG instead of raising SIGXFSZ).
template <class Work> void WithFileSizeLimit(rlim_t bytes, Work work) {
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = bytes;
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    work();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
}

TEST(BadInputRegistryStore, WriteCutShortLeavesTheOldStoreWhole) {
    TestKey key;
    ASSERT_TRUE(key.Created());
    ASSERT_EQ(SetBytes(key.Handle(), "Kept", REG_BINARY, std::string(4000, 'k')), ERROR_SUCCESS);
    const std::string before = ReadFile(StorePath());
    ::testing::internal::CaptureStderr();
    // The new store would be some 12 KB larger: its write stops half-way.
    WithFileSizeLimit(before.size() + 2000, [&] {
        EXPECT_EQ(SetBytes(key.Handle(), "Lost", REG_BINARY, std::string(4000, 'l')),
                  ERROR_CANTWRITE);
    });
    std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("cannot write the registry store"), std::string::npos) << errors;
    EXPECT_EQ(ReadFile(StorePath()), before);
    EXPECT_EQ(NewStoresLeft(), std::vector<std::string>());
    // The change is dropped; with room again, the next change is written.
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key.Handle(), "Lost", nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(SetBytes(key.Handle(), "Later", REG_BINARY, "1"), ERROR_SUCCESS);
    ExpectValue(HERE, key.Handle(), "Kept", REG_BINARY, std::string(4000, 'k'));
}

// A store that cannot be read (here a directory has its name) is reported and
// left alone: no call replaces it with a store of its own.
TEST(BadInputRegistryStore, UnreadableStoreIsNeverReplaced) {
    std::remove(StorePath().c_str());
    ASSERT_EQ(mkdir(StorePath().c_str(), 0755), 0);
    ::testing::internal::CaptureStderr();
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Unreadable", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_CANTREAD);
    EXPECT_EQ(SetBytes(HKEY_CURRENT_USER, "x", REG_BINARY, "1"), ERROR_CANTREAD);
    std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find(StorePath() + ": cannot read the registry store"), std::string::npos)
        << errors;
    struct stat info;
    ASSERT_EQ(stat(StorePath().c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    rmdir(StorePath().c_str());
}

// A profile file that cannot be read whole (here reading it fails with an I/O
// error at once) gives the default, and a write fails instead of writing the
// file back from the part that was read.
TEST(BadInputProfile, FileThatCannotBeReadIsNeverWrittenBack) {
    const char* file = "Z:\\proc\\self\\mem";
    char buffer[16] = "sentinel";
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "dflt", buffer, sizeof buffer, file), 4u);
    EXPECT_STREQ(buffer, "dflt");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_READ_FAULT));
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", file));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_READ_FAULT));
}

} // namespace
