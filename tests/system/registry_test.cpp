#include "system/registry.h"

#include "runtime/exceptions.h"
#include "runtime/resstrings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Bytes(const char* data, size_t size) {
    return std::string(data, size);
}

// The object's internal operations, reachable for the tests.
class InspectedRegistry : public TRegistry {
public:
    using TRegistry::FetchValueData;
};

// A registry with keys A\B\C and X below HKEY_LOCAL_MACHINE\SOFTWARE\RegistryTest
// and values of every kind in A.
class RegistryObject : public ::testing::Test {
protected:
    static constexpr const char* kBase = "SOFTWARE\\RegistryTest";

    void SetUp() override {
        Make("A\\B\\C");
        Make("X");
        HKEY a = Open("A");
        Set(a, "Text", REG_SZ, Bytes("abc", 4));
        // Three bytes of "abcd": stored without a terminator.
        Set(a, "Bare", REG_SZ, Bytes("abcd", 3));
        Set(a, "Inner", REG_SZ, Bytes("ab\0cd", 6));
        Set(a, "Expand", REG_EXPAND_SZ, Bytes("%PATH%\\x", 9));
        Set(a, "Number", REG_DWORD, Bytes("\x2a\0\0\0", 4));
        Set(a, "Multi", REG_MULTI_SZ, Bytes("a\0b\0", 5));
        Set(a, "Nothing", REG_BINARY, "");
        Set(a, "Empty", REG_SZ, "");
        RegCloseKey(a);
    }

    static std::string Path(const std::string& below) { return std::string(kBase) + "\\" + below; }

    static void Make(const std::string& below) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, Path(below).c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    static HKEY Open(const std::string& below) {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, Path(below).c_str(), 0, KEY_ALL_ACCESS, &key),
                  ERROR_SUCCESS);
        return key;
    }
    static void Set(HKEY key, const char* name, DWORD type, const std::string& data) {
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }

    // A registry on HKEY_LOCAL_MACHINE with the test's base key open.
    void OpenBase(TRegistry& registry) {
        registry.SelectHive(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(registry.OpenForReading(kBase));
    }
};

TEST_F(RegistryObject, StartsWithTheCurrentUserHiveAndNoKey) {
    TRegistry registry;
    EXPECT_EQ(registry.Hive(), HKEY_CURRENT_USER);
    EXPECT_EQ(registry.CurrentKey(), nullptr);
    EXPECT_EQ(registry.CurrentPath(), "");
    EXPECT_TRUE(registry.DeferWrites());
    EXPECT_FALSE(registry.OwnsHive());
    EXPECT_EQ(registry.AccessMask(), static_cast<DWORD>(KEY_ALL_ACCESS));
    EXPECT_STREQ(registry.ClassName(), "TRegistry");
    EXPECT_TRUE(registry.InheritsFrom(&TObject::ClassInfo));
}

TEST_F(RegistryObject, SelectHiveClosesTheKeyOnlyWhenTheRootChanges) {
    TRegistry registry;
    registry.SelectHive(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(registry.Hive(), HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(registry.OpenForReading(kBase));
    HKEY open = registry.CurrentKey();
    registry.SelectHive(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(registry.CurrentKey(), open);
    EXPECT_EQ(registry.CurrentPath(), kBase);
    registry.SelectHive(HKEY_CURRENT_USER);
    EXPECT_EQ(registry.CurrentKey(), nullptr);
    EXPECT_EQ(registry.CurrentPath(), "");
    EXPECT_EQ(RegCloseKey(open), ERROR_INVALID_HANDLE); // the object closed it
}

TEST_F(RegistryObject, RelativeAbsoluteAndComposedPaths) {
    TRegistry registry;
    registry.SelectHive(HKEY_LOCAL_MACHINE);
    // No key open: a relative path opens from the hive.
    ASSERT_TRUE(registry.OpenForReading(Path("A")));
    EXPECT_EQ(registry.CurrentPath(), Path("A"));
    EXPECT_EQ(registry.AccessMask(), static_cast<DWORD>(KEY_READ));
    // Key A open: a relative path opens below it and composes.
    ASSERT_TRUE(registry.OpenForReading("B\\C"));
    EXPECT_EQ(registry.CurrentPath(), Path("A\\B\\C"));
    // An absolute path opens from the hive, without its backslash.
    ASSERT_TRUE(registry.OpenForReading("\\" + Path("X")));
    EXPECT_EQ(registry.CurrentPath(), Path("X"));
    // The empty path opens the open key again; the path gets a backslash.
    HKEY first = registry.CurrentKey();
    ASSERT_TRUE(registry.OpenForReading(""));
    EXPECT_NE(registry.CurrentKey(), first);
    EXPECT_EQ(registry.CurrentPath(), Path("X") + "\\");
    // A single backslash opens the hive itself, with an empty path; a
    // relative open from there composes a path that begins with a backslash.
    ASSERT_TRUE(registry.OpenForReading("\\"));
    EXPECT_NE(registry.CurrentKey(), nullptr);
    EXPECT_EQ(registry.CurrentPath(), "");
    ASSERT_TRUE(registry.OpenForReading(kBase));
    EXPECT_EQ(registry.CurrentPath(), std::string("\\") + kBase);
    // Only one leading backslash is taken away: "\\X" is refused.
    EXPECT_FALSE(registry.OpenForReading("\\\\" + Path("X")));
}

TEST_F(RegistryObject, FailedOpenLeavesTheKeyOpen) {
    TRegistry registry;
    registry.SelectHive(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(registry.OpenForReading("SOFTWARE\\Missing"));
    EXPECT_EQ(registry.CurrentKey(), nullptr);
    EXPECT_EQ(registry.AccessMask(), static_cast<DWORD>(KEY_ALL_ACCESS));
    ASSERT_TRUE(registry.OpenForReading(kBase));
    ASSERT_TRUE(registry.OpenForReading("A"));
    HKEY open = registry.CurrentKey();
    EXPECT_FALSE(registry.OpenForReading("Missing"));
    EXPECT_FALSE(registry.OpenForReading("\\SOFTWARE\\Missing"));
    EXPECT_EQ(registry.CurrentKey(), open);
    EXPECT_EQ(registry.CurrentPath(), Path("A"));
    EXPECT_EQ(registry.ReadText("Text"), "abc");
}

TEST_F(RegistryObject, ReadTextOfTextValues) {
    TRegistry registry;
    OpenBase(registry);
    ASSERT_TRUE(registry.OpenForReading("A"));
    const struct {
        const char* name;
        std::string expected;
    } cases[] = {
        {"Text", "abc"},         // stored with its terminator
        {"Bare", "abc"},         // stored without one
        {"Inner", "ab"},         // up to the first zero byte
        {"Expand", "%PATH%\\x"}, // not expanded
        {"Nothing", ""},         // a binary value without data: no error
        {"Empty", ""},           {"Missing", ""},
    };
    for (const auto& c : cases) {
        std::string text = registry.ReadText(c.name);
        EXPECT_EQ(text, c.expected) << c.name;
        EXPECT_EQ(text.size(), c.expected.size()) << c.name;
    }
}

TEST_F(RegistryObject, ReadTextOfOtherKindsRaisesWithTheValueName) {
    TRegistry registry;
    OpenBase(registry);
    ASSERT_TRUE(registry.OpenForReading("A"));
    for (const char* name : {"Number", "Multi"}) {
        try {
            registry.ReadText(name);
            ADD_FAILURE() << name << " read without an error";
        } catch (const ERegistryException& error) {
            EXPECT_EQ(error.Message(), FormatResString(SInvalidRegType, {name}));
            EXPECT_NE(error.Message().find(std::string("'") + name + "'"), std::string::npos)
                << error.Message();
        }
    }
    // The object stays usable; its key stays open.
    EXPECT_EQ(registry.ReadText("Text"), "abc");
}

TEST_F(RegistryObject, ReadingWithoutAnOpenKey) {
    TRegistry registry;
    registry.SelectHive(HKEY_LOCAL_MACHINE);
    EXPECT_EQ(registry.ReadText("Text"), "");
    EXPECT_EQ(registry.QueryValueSize("Text"), -1);
    TValueInfo info{dkText, 99};
    EXPECT_FALSE(registry.QueryValueInfo("Text", info));
}

TEST_F(RegistryObject, ValueSizesAndKinds) {
    TRegistry registry;
    OpenBase(registry);
    ASSERT_TRUE(registry.OpenForReading("A"));
    EXPECT_EQ(registry.QueryValueSize("Missing"), -1);
    EXPECT_EQ(registry.QueryValueSize("Number"), 4);
    EXPECT_EQ(registry.QueryValueSize("Text"), 4);
    EXPECT_EQ(registry.QueryValueSize("Nothing"), 0);
    const struct {
        const char* name;
        TValueKind kind;
    } kinds[] = {{"Text", dkText},
                 {"Expand", dkExpandText},
                 {"Number", dkNumber},
                 {"Nothing", dkBinary},
                 {"Multi", dkUnknown}};
    for (const auto& k : kinds) {
        TValueInfo info{};
        EXPECT_TRUE(registry.QueryValueInfo(k.name, info)) << k.name;
        EXPECT_EQ(info.Kind, k.kind) << k.name;
    }
    EXPECT_EQ(ValueKindOf(REG_BINARY), dkBinary);
    EXPECT_EQ(ValueKindOf(REG_DWORD), dkNumber);
    EXPECT_EQ(ValueKindOf(REG_DWORD_BIG_ENDIAN), dkUnknown);
    EXPECT_EQ(ValueKindOf(REG_NONE), dkUnknown);
}

TEST_F(RegistryObject, FetchValueDataRaisesWhenTheDataCannotBeRead) {
    InspectedRegistry registry;
    OpenBase(registry);
    ASSERT_TRUE(registry.OpenForReading("A"));
    char buffer[4];
    TValueKind kind = dkUnknown;
    EXPECT_EQ(registry.FetchValueData("Number", buffer, 4, kind), 4);
    EXPECT_EQ(kind, dkNumber);
    // The value grew beyond the size first reported, or was removed meanwhile.
    for (const char* name : {"Text", "Missing"}) {
        try {
            registry.FetchValueData(name, buffer, name[0] == 'T' ? 2 : 4, kind);
            ADD_FAILURE() << name << " read without an error";
        } catch (const ERegistryException& error) {
            EXPECT_EQ(error.Message(), FormatResString(SRegGetDataFailed, {name}));
        }
    }
}

TEST_F(RegistryObject, FreeingTheObjectClosesItsKey) {
    auto* registry = new TRegistry;
    OpenBase(*registry);
    HKEY open = registry->CurrentKey();
    FreeObject(registry);
    EXPECT_EQ(RegCloseKey(open), ERROR_INVALID_HANDLE);
    {
        TRegistry plain;
        OpenBase(plain);
        open = plain.CurrentKey();
    }
    EXPECT_EQ(RegCloseKey(open), ERROR_INVALID_HANDLE);
}

} // namespace
