// Conformance tests of the registry's A functions. They use only Win32 calls,
// so that the same cases run on the host layer and, built for Windows,
// against the real functions under Wine. Texts that depend on the ANSI code
// page follow GetACP() (1252 or 932).
#include "registry_test_support.h"

using namespace registry_test;

namespace {

class Registry : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(key_.Created()); }
    HKEY Key() const { return key_.Handle(); }
    TestKey key_;
};

TEST_F(Registry, ValuesReadBackAsTheyWereSet) {
    struct Case {
        const char* name;
        DWORD type;
        std::string set;      // the bytes passed to RegSetValueExA
        std::string expected; // what RegQueryValueExA reports
    };
    const std::string dword("\x78\x56\x34\x12", 4);
    const Case cases[] = {
        {"Text", REG_SZ, Bytes("abc", 4), Bytes("abc", 4)},
        {"Inner zero", REG_SZ, Bytes("ab\0cd", 6), Bytes("ab\0cd", 6)},
        {"Expand", REG_EXPAND_SZ, Bytes("%TEMP%\\x", 9), Bytes("%TEMP%\\x", 9)},
        {"Multi", REG_MULTI_SZ, Bytes("a\0bc\0", 6), Bytes("a\0bc\0", 6)},
        {"Empty text", REG_SZ, "", ""},
        {"Number", REG_DWORD, dword, dword},
        {"Short number", REG_DWORD, dword.substr(0, 3), dword.substr(0, 3)},
        {"Bytes", REG_BINARY, Bytes("\x01\x00\xff", 3), Bytes("\x01\x00\xff", 3)},
        {"No bytes", REG_BINARY, "", ""},
        {"Unknown type", 99, "xyz", "xyz"},
    };
    for (const Case& c : cases)
        ASSERT_EQ(SetBytes(Key(), c.name, c.type, c.set), ERROR_SUCCESS) << c.name;
    for (const Case& c : cases)
        ExpectValue(HERE, Key(), c.name, c.type, c.expected);
}

TEST_F(Registry, TextWithoutTerminatorGetsOneWhenTheBufferHasRoom) {
    // Three bytes of "abcd": the byte after them is not zero, so Windows
    // stores the text without a terminator.
    ASSERT_EQ(RegSetValueExA(Key(), "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("abcd"), 3),
              ERROR_SUCCESS);
    ExpectValue(HERE, Key(), "Bare", REG_SZ, "abc");
    Buffer roomy(8);
    DWORD size = roomy.Size(), type = 0;
    ASSERT_EQ(RegQueryValueExA(Key(), "Bare", nullptr, &type, roomy.Data(), &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(roomy.Contents(4), Bytes("abc", 4));
    EXPECT_TRUE(roomy.UntouchedFrom(4));
}

TEST_F(Registry, TextWithoutTerminatorKeepsTheZeroThatFollowsIt) {
    // Three bytes of "abc": the byte after them is its terminating zero,
    // and Windows stores it too.
    const char text[] = "abc";
    for (DWORD type : {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ}) {
        ASSERT_EQ(
            RegSetValueExA(Key(), "Terminated", 0, type, reinterpret_cast<const BYTE*>(text), 3),
            ERROR_SUCCESS);
        ExpectValue(HERE, Key(), "Terminated", type, Bytes("abc", 4));
    }
    // Text that already ends in a zero, and bytes that are no text, stay as given.
    ASSERT_EQ(RegSetValueExA(Key(), "Ends", 0, REG_SZ, reinterpret_cast<const BYTE*>("ab\0"), 3),
              ERROR_SUCCESS);
    ExpectValue(HERE, Key(), "Ends", REG_SZ, Bytes("ab", 3));
    ASSERT_EQ(
        RegSetValueExA(Key(), "Binary", 0, REG_BINARY, reinterpret_cast<const BYTE*>(text), 3),
        ERROR_SUCCESS);
    ExpectValue(HERE, Key(), "Binary", REG_BINARY, "abc");
}

TEST_F(Registry, TextInTheAnsiCodePage) {
    // A name and a text outside ASCII in the machine's code page: what the A
    // functions report are sizes in that code page; the key's information
    // counts UTF-16 units and bytes, as the registry stores text.
    bool japanese = GetACP() == 932;
    const char* name = japanese ? "\x83\x5c\x83\x74\x83\x67" : "caf\xe9"; // ソフト or café
    const char* otherCase = japanese ? "\x83\x5c\x83\x74\x83\x67" : "CAF\xc9";
    std::string text = japanese ? Bytes("\x83\x5c\x83\x74\x83\x67", 7) : Bytes("caf\xe9", 5);
    ASSERT_EQ(SetBytes(Key(), name, REG_SZ, text), ERROR_SUCCESS);
    ExpectValue(HERE, Key(), otherCase, REG_SZ, text);

    char found[16];
    DWORD length = sizeof(found);
    ASSERT_EQ(RegEnumValueA(Key(), 0, found, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(found, length), name);

    DWORD maxName = 0, maxData = 0;
    ASSERT_EQ(RegQueryInfoKeyA(Key(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               &maxName, &maxData, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(maxName, japanese ? 3u : 4u);
    EXPECT_EQ(maxData, japanese ? 8u : 10u);
}

TEST_F(Registry, NamesMatchInAnyLetterCase) {
    bool japanese = GetACP() == 932;
    // Fullwidth Ａ and ａ on a Japanese machine, É and é on a Western one.
    const char* upper = japanese ? "Key\x82\x60" : "Key\xc9";
    const char* lower = japanese ? "kEY\x82\x81" : "kEY\xe9";
    ASSERT_EQ(MakeKey(Key(), upper), ERROR_SUCCESS);
    HKEY opened = nullptr;
    EXPECT_EQ(RegOpenKeyExA(Key(), lower, 0, KEY_READ, &opened), ERROR_SUCCESS);
    RegCloseKey(opened);
    // The key keeps the case it was created with.
    char name[16];
    DWORD length = sizeof(name);
    ASSERT_EQ(RegEnumKeyExA(Key(), 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, length), upper);

    ASSERT_EQ(SetBytes(Key(), upper, REG_SZ, Bytes("x", 2)), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(Key(), lower, REG_SZ, Bytes("y", 2)), ERROR_SUCCESS); // the same value
    ExpectValue(HERE, Key(), upper, REG_SZ, Bytes("y", 2));
    EXPECT_EQ(RegDeleteValueA(Key(), lower), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(Key(), upper), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, SubPathsOfOpen) {
    ASSERT_EQ(MakeKey(Key(), "Sub\\Deep"), ERROR_SUCCESS);
    struct Case {
        const char* path;
        LSTATUS expected;
    };
    const Case cases[] = {
        {"", ERROR_SUCCESS},
        {"Sub", ERROR_SUCCESS},
        {"SUB\\deep", ERROR_SUCCESS},
        {"Sub\\", ERROR_SUCCESS},
        {"Sub\\\\Deep", ERROR_SUCCESS},
        {"Sub\\Deep\\", ERROR_SUCCESS},
        {"\\", ERROR_BAD_PATHNAME},
        {"\\Sub", ERROR_BAD_PATHNAME},
        {"Sub/Deep", ERROR_FILE_NOT_FOUND},
        {".", ERROR_FILE_NOT_FOUND},
        {"Sub\\..", ERROR_FILE_NOT_FOUND},
        {"Missing", ERROR_FILE_NOT_FOUND},
        {"Missing\\Deeper", ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        HKEY opened = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x55));
        EXPECT_EQ(RegOpenKeyExA(Key(), c.path, 0, KEY_READ, &opened), c.expected) << c.path;
        if (c.expected == ERROR_SUCCESS) {
            // A new handle, also to the same key.
            EXPECT_NE(opened, nullptr) << c.path;
            EXPECT_NE(opened, Key()) << c.path;
            RegCloseKey(opened);
        } else {
            EXPECT_EQ(opened, nullptr) << c.path;
        }
    }
    HKEY opened = nullptr;
    EXPECT_EQ(RegOpenKeyExA(Key(), nullptr, 0, KEY_READ, &opened), ERROR_SUCCESS);
    EXPECT_NE(opened, Key());
    RegCloseKey(opened);
    // A predefined hive opened with an empty path is returned itself.
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "", 0, KEY_READ, &opened), ERROR_SUCCESS);
    EXPECT_EQ(opened, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, nullptr, 0, KEY_READ, &opened), ERROR_SUCCESS);
    EXPECT_EQ(opened, HKEY_CURRENT_USER);
    EXPECT_EQ(RegOpenKeyExA(nullptr, "Sub", 0, KEY_READ, &opened), ERROR_INVALID_HANDLE);
}

TEST_F(Registry, KeyNameComponentsAreAtMost256Characters) {
    // Windows documents 255 characters; its registry takes one more.
    std::string longest(256, 'x'), tooLong(257, 'y');
    HKEY opened = nullptr;
    EXPECT_EQ(RegOpenKeyExA(Key(), longest.c_str(), 0, KEY_READ, &opened), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(MakeKey(Key(), longest), ERROR_SUCCESS);
    EXPECT_EQ(MakeKey(Key(), longest.substr(1)), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExA(Key(), longest.c_str(), 0, KEY_READ, &opened), ERROR_SUCCESS);
    RegCloseKey(opened);
    EXPECT_EQ(MakeKey(Key(), tooLong), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyExA(Key(), tooLong.c_str(), 0, KEY_READ, &opened), ERROR_INVALID_PARAMETER);
}

TEST_F(Registry, KeyPathsOfTheAFunctionsEndAt260Characters) {
    // The path goes through a buffer of MAX_PATH characters: a longer one
    // fails before any key is looked at, whether it exists or not.
    std::string longest(100, 'p');
    longest += '\\' + std::string(100, 'q') + '\\' + std::string(58, 'r');
    ASSERT_EQ(longest.size(), 260u);
    std::string tooLong = longest + "s";
    EXPECT_EQ(MakeKey(Key(), longest), ERROR_SUCCESS);
    HKEY opened = nullptr;
    EXPECT_EQ(RegOpenKeyExA(Key(), longest.c_str(), 0, KEY_READ, &opened), ERROR_SUCCESS);
    RegCloseKey(opened);
    EXPECT_EQ(RegOpenKeyExA(Key(), tooLong.c_str(), 0, KEY_READ, &opened), ERROR_MORE_DATA);
    EXPECT_EQ(MakeKey(Key(), tooLong), ERROR_MORE_DATA);
    EXPECT_EQ(RegDeleteKeyA(Key(), tooLong.c_str()), ERROR_MORE_DATA);
    // A missing first key does not make a long path any shorter.
    EXPECT_EQ(RegOpenKeyExA(Key(), ("missing\\" + tooLong).c_str(), 0, KEY_READ, &opened),
              ERROR_MORE_DATA);
    EXPECT_EQ(RegDeleteKeyA(Key(), longest.c_str()), ERROR_SUCCESS);
}

TEST_F(Registry, CreateReportsWhetherTheKeyIsNew) {
    HKEY created = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(Key(), "New\\Deeper", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &created, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
    RegCloseKey(created);
    ASSERT_EQ(RegCreateKeyExA(Key(), "NEW\\deeper\\", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &created, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
    RegCloseKey(created);
    EXPECT_EQ(RegCreateKeyExA(Key(), "\\Lead", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created,
                              &disposition),
              ERROR_BAD_PATHNAME);
}

TEST_F(Registry, DeleteKeyRefusesKeysWithSubkeys) {
    ASSERT_EQ(MakeKey(Key(), "Parent\\Child"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(Key(), "Parent"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(Key(), "parent\\CHILD"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(Key(), "Parent\\Child"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(Key(), "Missing\\Deeper"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyA(Key(), "Parent"), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(Key(), nullptr), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
    // An empty sub-path deletes the key of the handle itself.
    HKEY self = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(Key(), "Self", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &self, nullptr),
        ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(self, ""), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(self), ERROR_SUCCESS);
    HKEY opened = nullptr;
    EXPECT_EQ(RegOpenKeyExA(Key(), "Self", 0, KEY_READ, &opened), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, HandleOfADeletedKeyFailsWithKeyDeleted) {
    HKEY doomed = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(Key(), "Doomed", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &doomed, nullptr),
        ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyA(Key(), "DOOMED"), ERROR_SUCCESS);
    // Still deleted for this handle when a key of the same name comes back.
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "deleted" : "created again");
        BYTE data[8];
        DWORD size = sizeof(data), type = 0;
        HKEY other = nullptr;
        char name[8];
        DWORD length = sizeof(name);
        EXPECT_EQ(RegQueryValueExA(doomed, "x", nullptr, &type, data, &size), ERROR_KEY_DELETED);
        EXPECT_EQ(SetBytes(doomed, "x", REG_SZ, Bytes("a", 2)), ERROR_KEY_DELETED);
        EXPECT_EQ(RegOpenKeyExA(doomed, "", 0, KEY_READ, &other), ERROR_KEY_DELETED);
        EXPECT_EQ(
            RegCreateKeyExA(doomed, "n", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &other, nullptr),
            ERROR_KEY_DELETED);
        EXPECT_EQ(RegEnumKeyExA(doomed, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
                  ERROR_KEY_DELETED);
        EXPECT_EQ(RegDeleteValueA(doomed, "x"), ERROR_KEY_DELETED);
        EXPECT_EQ(RegFlushKey(doomed), ERROR_KEY_DELETED);
        ASSERT_EQ(MakeKey(Key(), "Doomed"), ERROR_SUCCESS);
    }
    EXPECT_EQ(RegCloseKey(doomed), ERROR_SUCCESS);

    // Deleted and created again before the handle is used at all.
    ASSERT_EQ(RegOpenKeyExA(Key(), "Doomed", 0, KEY_ALL_ACCESS, &doomed), ERROR_SUCCESS);
    ASSERT_EQ(RegDeleteKeyA(Key(), "Doomed"), ERROR_SUCCESS);
    ASSERT_EQ(MakeKey(Key(), "Doomed"), ERROR_SUCCESS);
    EXPECT_EQ(RegFlushKey(doomed), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(doomed), ERROR_SUCCESS);
}

TEST_F(Registry, DefaultValueHasTheEmptyName) {
    ASSERT_EQ(SetBytes(Key(), nullptr, REG_SZ, Bytes("def", 4)), ERROR_SUCCESS);
    ExpectValue(HERE, Key(), "", REG_SZ, Bytes("def", 4));
    EXPECT_EQ(RegDeleteValueA(Key(), ""), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(Key(), nullptr), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(SetBytes(Key(), "", REG_SZ, Bytes("again", 6)), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(Key(), nullptr), ERROR_SUCCESS);
}

TEST_F(Registry, MissingValues) {
    Buffer buffer(8);
    DWORD size = buffer.Size(), type = 99;
    EXPECT_EQ(RegQueryValueExA(Key(), "Missing", nullptr, &type, buffer.Data(), &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(type, static_cast<DWORD>(REG_NONE));
    EXPECT_TRUE(buffer.Untouched());
    size = 8;
    EXPECT_EQ(RegQueryValueExA(Key(), "Missing", nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(RegDeleteValueA(Key(), "Missing"), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, ArgumentsAndHandlesRefused) {
    ASSERT_EQ(SetBytes(Key(), "Text", REG_SZ, Bytes("abc", 4)), ERROR_SUCCESS);
    BYTE data[8];
    DWORD size = sizeof(data), type = 0;
    EXPECT_EQ(RegQueryValueExA(Key(), "Text", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(RegQueryValueExA(Key(), "Text", nullptr, &type, data, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryValueExA(nullptr, "Text", nullptr, &type, data, &size), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExA(Key(), "Null data", 0, REG_BINARY, nullptr, 4), ERROR_NOACCESS);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(RegFlushKey(nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegFlushKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    HKEY opened = nullptr;
    ASSERT_EQ(RegOpenKeyExA(Key(), "", 0, KEY_READ, &opened), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(opened), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(opened), ERROR_INVALID_HANDLE);
}

TEST_F(Registry, AccessRightsOfTheHandle) {
    ASSERT_EQ(SetBytes(Key(), "Text", REG_SZ, Bytes("abc", 4)), ERROR_SUCCESS);
    ASSERT_EQ(MakeKey(Key(), "Sub"), ERROR_SUCCESS);
    HKEY reader = nullptr, writer = nullptr;
    ASSERT_EQ(RegOpenKeyExA(Key(), "", 0, KEY_READ, &reader), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(Key(), "", 0, KEY_SET_VALUE, &writer), ERROR_SUCCESS);
    EXPECT_EQ(SetBytes(reader, "Other", REG_SZ, Bytes("x", 2)), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(reader, "Text"), ERROR_ACCESS_DENIED);
    ExpectValue(HERE, reader, "Text", REG_SZ, Bytes("abc", 4));
    BYTE data[8];
    DWORD size = sizeof(data), type = 0;
    char name[8];
    DWORD length = sizeof(name);
    EXPECT_EQ(RegQueryValueExA(writer, "Text", nullptr, &type, data, &size), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegEnumKeyExA(writer, 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegEnumValueA(writer, 0, name, &length, nullptr, &type, data, &size),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(SetBytes(writer, "Other", REG_SZ, Bytes("x", 2)), ERROR_SUCCESS);
    RegCloseKey(reader);
    RegCloseKey(writer);
}

TEST_F(Registry, SubkeysEnumerateInFoldedOrder) {
    for (const char* name : {"b", "C", "a", "_u", "Z"})
        ASSERT_EQ(MakeKey(Key(), name), ERROR_SUCCESS);
    std::vector<std::string> names;
    char name[16];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof(name);
        FILETIME written{};
        LSTATUS status =
            RegEnumKeyExA(Key(), index, name, &length, nullptr, nullptr, nullptr, &written);
        if (status == ERROR_NO_MORE_ITEMS) break;
        ASSERT_EQ(status, ERROR_SUCCESS);
        EXPECT_EQ(length, std::strlen(name));
        EXPECT_NE(written.dwHighDateTime, 0u);
        names.emplace_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"_u", "a", "b", "C", "Z"}));
    // A buffer without room for the name and its zero: ERROR_MORE_DATA, nothing written.
    Buffer tooSmall(2);
    DWORD length = tooSmall.Size();
    EXPECT_EQ(
        RegEnumKeyExA(Key(), 0, tooSmall.Chars(), &length, nullptr, nullptr, nullptr, nullptr),
        ERROR_MORE_DATA);
    EXPECT_EQ(length, 2u);
    EXPECT_TRUE(tooSmall.Untouched());
}

TEST_F(Registry, ValuesEnumerateInFoldedOrder) {
    ASSERT_EQ(SetBytes(Key(), "zeta", REG_SZ, Bytes("1", 2)), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(Key(), "Mid", REG_SZ, Bytes("longer", 7)), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(Key(), "alpha", REG_BINARY, Bytes("\x01\x02", 2)), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(Key(), "ZETA", REG_SZ, Bytes("22", 3)), ERROR_SUCCESS); // replaces zeta
    struct Expected {
        const char* name;
        DWORD type;
        std::string data;
    };
    const Expected expected[] = {{"alpha", REG_BINARY, Bytes("\x01\x02", 2)},
                                 {"Mid", REG_SZ, Bytes("longer", 7)},
                                 {"zeta", REG_SZ, Bytes("22", 3)}};
    for (DWORD index = 0; index < 3; ++index) {
        SCOPED_TRACE(index);
        char name[16];
        Buffer data(16);
        DWORD length = sizeof(name), size = data.Size(), type = 0;
        ASSERT_EQ(RegEnumValueA(Key(), index, name, &length, nullptr, &type, data.Data(), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(std::string(name, length), expected[index].name);
        EXPECT_EQ(type, expected[index].type);
        EXPECT_EQ(data.Contents(size), expected[index].data);
    }
    char name[16];
    DWORD length = sizeof(name);
    EXPECT_EQ(RegEnumValueA(Key(), 3, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    // Short name or data buffers: ERROR_MORE_DATA, with the data size needed.
    length = 5;
    EXPECT_EQ(RegEnumValueA(Key(), 0, name, &length, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    Buffer data(2);
    DWORD size = data.Size();
    length = sizeof(name);
    EXPECT_EQ(RegEnumValueA(Key(), 1, name, &length, nullptr, nullptr, data.Data(), &size),
              ERROR_MORE_DATA);
    EXPECT_EQ(size, 7u);
    EXPECT_TRUE(data.Untouched());

    DWORD subkeys = 9, values = 0, maxName = 0, maxData = 0;
    ASSERT_EQ(RegQueryInfoKeyA(Key(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                               &values, &maxName, &maxData, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subkeys, 0u);
    EXPECT_EQ(values, 3u);
    EXPECT_EQ(maxName, 5u);
    EXPECT_EQ(maxData, 14u); // "longer" and its zero as stored: UTF-16
}

} // namespace
