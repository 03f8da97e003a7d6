// Resource-only modules: PE files made by the MinGW tools loaded with
// LoadLibraryExA(LOAD_LIBRARY_AS_DATAFILE), their resources found as in the
// program's own, malformed files refused; and VirtualQuery over the process's
// own mappings. The expectations follow what Wine answers for the same calls.
#include "host_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string LibraryPosixPath(const std::string& file) {
    return std::string(TEST_PE_DIR) + "/" + file;
}

std::string WindowsPathOf(const std::string& posix) {
    std::string path = "Z:" + posix;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

HMODULE LoadAsData(const std::string& windowsPath) {
    return LoadLibraryExA(windowsPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

std::string StringOf(HMODULE module, UINT id) {
    char buffer[256];
    int length = LoadStringA(module, id, buffer, sizeof(buffer));
    return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

// A copy of a library with some bytes changed, in the test machine's C:.
std::string WriteVariant(const std::string& name, std::string bytes) {
    std::string posix = host_test::Prefix() + "/drive_c/" + name;
    host_test::WriteFile(posix, bytes);
    return "C:\\" + name;
}

uint32_t Dword(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

void PutDword(std::string& bytes, size_t at, uint32_t value) {
    std::memcpy(bytes.data() + at, &value, 4);
}

TEST(ResourceModule, LoadsTheResourcesOfPeFilesOfBothWidths) {
    for (const char* file : {"language_full.dll", "language_full32.dll"}) {
        SCOPED_TRACE(file);
        SetLastError(0xDEADBEEF);
        HMODULE module = LoadAsData(WindowsPathOf(LibraryPosixPath(file)));
        ASSERT_NE(module, nullptr) << GetLastError();
        EXPECT_EQ(reinterpret_cast<uintptr_t>(module) & 1,
                  1u); // a data module, as Windows marks it
        HRSRC found = FindResourceA(module, "tformmain", RT_RCDATA);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(SizeofResource(module, found), 274u);
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
        ASSERT_NE(bytes, nullptr);
        EXPECT_EQ(std::string(bytes, 4), "TPF0");
        EXPECT_EQ(StringOf(module, 65529), "%s is not in the language file");

        SetLastError(0xDEADBEEF);
        EXPECT_EQ(FindResourceA(module, "NOSUCHFORM", RT_RCDATA), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(FindResourceA(module, "MAINICON", RT_GROUP_ICON), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
        EXPECT_EQ(StringOf(module, 65528), "");
        // Like Wine, GetModuleFileNameA knows no module loaded as data.
        char name[MAX_PATH];
        EXPECT_EQ(GetModuleFileNameA(module, name, sizeof(name)), 0u);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

        EXPECT_TRUE(FreeLibrary(module));
        EXPECT_FALSE(FreeLibrary(module));
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(FindResourceA(module, "TFORMMAIN", RT_RCDATA), nullptr);
        EXPECT_NE(GetLastError(), 0xDEADBEEFu); // an error, whichever the handle's state gives
    }
}

TEST(ResourceModule, RefusesWhatIsNoPeFileAndWhatIsNoData) {
    std::string library = WindowsPathOf(LibraryPosixPath("language_full.dll"));
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(LoadLibraryExA(library.c_str(), nullptr, 0), nullptr); // code is never loaded
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

    struct Case {
        std::string path;
        DWORD error;
    };
    const Case cases[] = {
        {WriteVariant("text.dll", "MZ, but a text file and no PE file at all"),
         ERROR_BAD_EXE_FORMAT},
        {WriteVariant("empty.dll", ""), ERROR_BAD_EXE_FORMAT},
        {"C:\\missing.dll", ERROR_FILE_NOT_FOUND},
        {"C:\\windows", ERROR_ACCESS_DENIED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(LoadAsData(c.path), nullptr);
        EXPECT_EQ(GetLastError(), c.error);
    }
}

TEST(ResourceModule, NeverReadsPastTheEndOfATruncatedFile) {
    // Under AddressSanitizer a read past the file's bytes would stop the test.
    std::string bytes = host_test::ReadFile(LibraryPosixPath("language_full.dll"));
    ASSERT_GT(bytes.size(), 1024u);
    int refused = 0;
    for (size_t length = 0; length < bytes.size(); length += length < 1024 ? 1 : 61) {
        std::string path = WriteVariant("cut.dll", bytes.substr(0, length));
        HMODULE module = LoadAsData(path);
        if (!module) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT)) << length;
            ++refused;
            continue;
        }
        // Whatever a shorter file still holds is whole.
        if (HRSRC found = FindResourceA(module, "TFORMMAIN", RT_RCDATA)) {
            EXPECT_EQ(SizeofResource(module, found), 274u);
        }
        FreeLibrary(module);
    }
    EXPECT_GT(refused, 0);
}

TEST(ResourceModule, RefusesAResourceTreeThatPointsOutsideItselfOrBackAtItself) {
    std::string bytes = host_test::ReadFile(LibraryPosixPath("language_full.dll"));
    ASSERT_GT(bytes.size(), 0x200u);
    // The resource directory's file offset, through the PE32+ headers.
    size_t header = Dword(bytes, 0x3C);
    size_t optional = header + 24;
    uint32_t resourceRva = Dword(bytes, optional + 112 + 16);
    size_t sections = optional + (static_cast<uint8_t>(bytes[header + 20]) |
                                  static_cast<uint8_t>(bytes[header + 21]) << 8);
    size_t sectionCount = static_cast<uint8_t>(bytes[header + 6]);
    size_t root = 0;
    for (size_t i = 0; i < sectionCount; ++i) {
        size_t at = sections + 40 * i;
        uint32_t address = Dword(bytes, at + 12), raw = Dword(bytes, at + 20);
        if (resourceRva >= address && resourceRva < address + Dword(bytes, at + 16))
            root = raw + (resourceRva - address);
    }
    ASSERT_NE(root, 0u);
    // The first entry of the root directory points at the type directory.
    std::string selfReference = bytes;
    PutDword(selfReference, root + 16 + 4, 0x80000000u);
    std::string outside = bytes;
    PutDword(outside, root + 16 + 4, 0x80FFFFF0u);
    std::string hugeCount = bytes;
    hugeCount[root + 14] = '\xFF';
    hugeCount[root + 15] = '\x7F';
    for (const auto& [name, variant] :
         {std::pair{"self.dll", selfReference}, std::pair{"outside.dll", outside},
          std::pair{"count.dll", hugeCount}}) {
        SCOPED_TRACE(name);
        SetLastError(0xDEADBEEF);
        EXPECT_EQ(LoadAsData(WriteVariant(name, variant)), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
    }
}

int initialisedData = 7;
int zeroData;

TEST(VirtualQuery, ReportsTheImageBaseForCodeDataAndBss) {
    const void* addresses[] = {reinterpret_cast<const void*>(&LoadAsData), &initialisedData,
                               &zeroData};
    HMODULE program = GetModuleHandleA(nullptr);
    for (const void* address : addresses) {
        MEMORY_BASIC_INFORMATION info{};
        ASSERT_EQ(VirtualQuery(address, &info, sizeof(info)), sizeof(info));
        EXPECT_EQ(info.State, static_cast<DWORD>(MEM_COMMIT));
        EXPECT_EQ(info.AllocationBase, reinterpret_cast<PVOID>(program));
        EXPECT_EQ(info.Type, static_cast<DWORD>(MEM_IMAGE));
        EXPECT_LE(info.BaseAddress, address);
        EXPECT_GT(reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize,
                  reinterpret_cast<uintptr_t>(address));
    }
    std::string heap(100000, 'x');
    MEMORY_BASIC_INFORMATION info{};
    ASSERT_EQ(VirtualQuery(heap.data(), &info, sizeof(info)), sizeof(info));
    EXPECT_EQ(info.State, static_cast<DWORD>(MEM_COMMIT));
    EXPECT_NE(info.AllocationBase, reinterpret_cast<PVOID>(program));
    EXPECT_EQ(info.Type, static_cast<DWORD>(MEM_PRIVATE));
}

TEST(VirtualQuery, ReportsFreeMemoryAndRefusesBadArguments) {
    MEMORY_BASIC_INFORMATION info{};
    ASSERT_EQ(VirtualQuery(reinterpret_cast<const void*>(0x10), &info, sizeof(info)), sizeof(info));
    EXPECT_EQ(info.State, static_cast<DWORD>(MEM_FREE));
    EXPECT_EQ(info.AllocationBase, nullptr);
    EXPECT_EQ(info.BaseAddress, nullptr);

    SetLastError(0xDEADBEEF);
    EXPECT_EQ(VirtualQuery(reinterpret_cast<const void*>(~uintptr_t(0xFFFF)), &info, sizeof(info)),
              0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(VirtualQuery(&info, &info, sizeof(info) - 1), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_LENGTH));
}

} // namespace
