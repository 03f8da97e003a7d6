// The host registry's own behaviour: the store file and its format, refusal
// of a malformed store, the journal, and several processes sharing a store.
#include "host_test_support.h"
#include "registry_test_support.h"

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace host_test;
using namespace registry_test;

namespace {

std::string StorePath() {
    return Prefix() + "/registry.reg";
}

// Runs work in a forked child process and returns its exit status.
int InChild(const std::function<int()>& work) {
    pid_t pid = fork();
    if (pid == 0) _exit(work());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Makes the next registry call read the store again, as if another program
// had changed it: the file's size changes, its contents do not.
void TouchStore() {
    std::ofstream(StorePath(), std::ios::binary | std::ios::app) << "; touched\n";
}

TEST(RegistryHostStore, WritesRegeditSyntax) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Format", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(key, "Path", REG_SZ, Bytes("C:\\Program Files\\\"x\".exe", 25)),
              ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(key, nullptr, REG_SZ, Bytes("default", 8)), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(key, "Number", REG_DWORD, Bytes("\x2a\0\0\0", 4)), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(key, "Bytes", REG_BINARY, Bytes("\x01\xff", 2)), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(key, "Expand", REG_EXPAND_SZ, Bytes("%A%", 4)), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(key, "Bare", REG_SZ, "ab"), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(key, "Inner", REG_SZ, Bytes("a\0b", 4)), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(key, "Lines", REG_SZ, Bytes("a\nb", 4)), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(key, "Long", REG_BINARY, std::string(40, '\x11')), ERROR_SUCCESS);
    RegCloseKey(key);

    std::string store = ReadFile(StorePath());
    EXPECT_EQ(store.rfind("Windows Registry Editor Version 5.00\n\n", 0), 0u) << store;
    const char* lines[] = {
        "[HKEY_CURRENT_USER\\Software\\Format]\n",
        "\n\"Path\"=\"C:\\\\Program Files\\\\\\\"x\\\".exe\"\n",
        "\n@=\"default\"\n",
        "\n\"Number\"=dword:0000002a\n",
        "\n\"Bytes\"=hex:01,ff\n",
        "\n\"Expand\"=hex(2):25,00,41,00,25,00,00,00\n",
        "\n\"Bare\"=hex(1):61,00,62,00\n",
        "\n\"Inner\"=hex(1):61,00,00,00,62,00,00,00\n",
        "\n\"Lines\"=hex(1):61,00,0a,00,62,00,00,00\n",
        // Long data wraps where regedit wraps it.
        "\n\"Long\"=hex:11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,\\\n"
        "  11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11,11\n",
    };
    for (const char* line : lines)
        EXPECT_NE(store.find(line), std::string::npos) << line << store;
}

TEST(RegistryHostStore, ReadsFilesAsRegeditWritesThem) {
    const std::string body = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Read]\n"
                             "\"Text\"=\"caf\xc3\xa9 \\\"q\\\" \\\\\"\n"
                             "@=\"d\"\n"
                             "; a comment\n"
                             "\"Number\"=dword:0000002A\n"
                             "\"Long\"=hex:01,02,\\\n"
                             "  03,04\n"
                             "\"Expand\"=hex(2):25,00,41,00,25,00,00,00\n"
                             "\"Bare\"=hex(1):61,00,62,00\n"
                             "\"Odd\"=hex(1):61,00,62\n"
                             "\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Read\\Empty]\n";
    auto crlf = [](std::string text) {
        std::string out;
        for (char c : text)
            out += c == '\n' ? std::string("\r\n") : std::string(1, c);
        return out;
    };
    auto utf16 = [](const std::string& utf8) {
        // The body is ASCII but for "é" (U+00E9).
        std::string out = "\xff\xfe";
        for (size_t i = 0; i < utf8.size(); ++i) {
            if (utf8.compare(i, 2, "\xc3\xa9") == 0) {
                out += Bytes("\xe9\0", 2);
                ++i;
            } else {
                out += std::string(1, utf8[i]) + '\0';
            }
        }
        return out;
    };
    const std::string header = "Windows Registry Editor Version 5.00\n\n";
    const struct {
        const char* name;
        std::string file;
    } inputs[] = {
        {"UTF-8", header + body},
        {"UTF-8 with a byte-order mark and CR LF", "\xef\xbb\xbf" + crlf(header + body)},
        {"UTF-16LE with a byte-order mark and CR LF", utf16(crlf(header + body))},
    };
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.name);
        WriteFile(StorePath(), input.file);
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\READ", 0, KEY_READ, &key),
                  ERROR_SUCCESS);
        ExpectValue(HERE, key, "Text", REG_SZ, Bytes("caf\xe9 \"q\" \\", 11));
        ExpectValue(HERE, key, "", REG_SZ, Bytes("d", 2));
        ExpectValue(HERE, key, "Number", REG_DWORD, Bytes("\x2a\0\0\0", 4));
        ExpectValue(HERE, key, "Long", REG_BINARY, "\x01\x02\x03\x04");
        ExpectValue(HERE, key, "Expand", REG_EXPAND_SZ, Bytes("%A%", 4));
        ExpectValue(HERE, key, "Bare", REG_SZ, "ab");
        ExpectValue(HERE, key, "Odd", REG_SZ, "a"); // the odd byte is half a character
        HKEY empty = nullptr;
        EXPECT_EQ(RegOpenKeyExA(key, "Empty", 0, KEY_READ, &empty), ERROR_SUCCESS);
        RegCloseKey(empty);
        RegCloseKey(key);
    }
}

TEST(RegistryHostStore, KeepsEveryValueExactlyThroughTheFile) {
    TestKey key;
    ASSERT_TRUE(key.Created());
    const struct {
        const char* name;
        DWORD type;
        std::string data;
    } values[] = {
        {"Text", REG_SZ, Bytes("abc", 4)},
        {"Bare", REG_SZ, "ab"},
        {"Inner", REG_SZ, Bytes("a\0b\0", 4)},
        {"Lines", REG_SZ, Bytes("a\r\nb", 5)},
        {"Quotes", REG_SZ, Bytes("\"\\\"", 4)},
        {"Multi", REG_MULTI_SZ, Bytes("a\0b\0", 5)},
        {"Short number", REG_DWORD, "\x01\x02"},
        {"Qword", REG_QWORD, Bytes("\x01\0\0\0\0\0\0\x80", 8)},
        {"None", REG_NONE, ""},
        {"Odd type", 0x12345, "x"},
        {"Name \"with\" \\ quotes\nand a line", REG_SZ, Bytes("v", 2)},
    };
    for (const auto& value : values)
        ASSERT_EQ(SetBytes(key.Handle(), value.name, value.type, value.data), ERROR_SUCCESS);
    TouchStore();
    for (const auto& value : values)
        ExpectValue(HERE, key.Handle(), value.name, value.type, value.data);
}

TEST(RegistryHostStore, StoresTextAsUtf8) {
    // Run under both code pages (see RegistryHostCodePage).
    bool japanese = GetACP() == 932;
    TestKey key;
    ASSERT_TRUE(key.Created());
    std::string text = japanese ? Bytes("\x83\x5c\x83\x74\x83\x67", 7) : Bytes("caf\xe9", 5);
    ASSERT_EQ(SetBytes(key.Handle(), text.c_str(), REG_SZ, text), ERROR_SUCCESS);
    std::string utf8 = japanese ? "\xe3\x82\xbd\xe3\x83\x95\xe3\x83\x88" : "caf\xc3\xa9";
    std::string store = ReadFile(StorePath());
    EXPECT_NE(store.find("\"" + utf8 + "\"=\"" + utf8 + "\"\n"), std::string::npos) << store;
    TouchStore();
    ExpectValue(HERE, key.Handle(), text.c_str(), REG_SZ, text);
}

TEST(RegistryHostStore, RefusesAMalformedStoreAndLeavesItAlone) {
    const std::string header = "Windows Registry Editor Version 5.00\n\n";
    const struct {
        std::string file;
        int line;
    } inputs[] = {
        {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n", 1},
        {header + "\"x\"=\"outside a key\"\n", 3},
        {header + "[HKEY_USERS\\A]\n", 3},
        {header + "[HKEY_CURRENT_USER\\A\n", 3},
        {header + "[HKEY_CURRENT_USER\\A]\n\"x\"=hex:01,zz\n", 4},
        {header + "[HKEY_CURRENT_USER\\A]\n\"x\"=\"unterminated\n", 4},
        {header + "[HKEY_CURRENT_USER\\A]\n\"x\"=dword:123456789\n", 4},
        {header + "[HKEY_CURRENT_USER\\A]\n\"x\"=\"\\t\"\n", 4},
        {header + "[HKEY_CURRENT_USER\\A]\n\"x\"=word:1\n", 4},
        {header + "[HKEY_CURRENT_USER\\A]\n\"x\"=hex(1):00,\\\n  01,\n\n\"y\"=q\n", 7},
        {header + "garbage\n", 3},
    };
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.file);
        WriteFile(StorePath(), input.file);
        size_t reportsBefore = JournalLines("host_error").size();
        HKEY key = nullptr;
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "A", 0, KEY_READ, &key), ERROR_BADDB);
        EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "B", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr),
                  ERROR_BADDB);
        EXPECT_EQ(SetBytes(HKEY_CURRENT_USER, "x", REG_SZ, Bytes("y", 2)), ERROR_BADDB);
        std::string errors = ::testing::internal::GetCapturedStderr();
        // The file stays as it was; the message names it and the line, once.
        EXPECT_EQ(ReadFile(StorePath()), input.file);
        std::string where = StorePath() + ":" + std::to_string(input.line) + ": ";
        EXPECT_NE(errors.find(where), std::string::npos) << errors;
        std::vector<std::string> reports = JournalLines("host_error");
        ASSERT_EQ(reports.size(), reportsBefore + 1);
        EXPECT_NE(reports.back().find(where), std::string::npos) << reports.back();
    }
    // Mended, it is used again.
    WriteFile(StorePath(), header + "[HKEY_CURRENT_USER\\A]\n");
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "A", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
}

TEST(RegistryHostStore, FailedWriteLeavesTheStoreWhole) {
    TestKey key;
    ASSERT_TRUE(key.Created());
    ASSERT_EQ(SetBytes(key.Handle(), "Kept", REG_SZ, Bytes("1", 2)), ERROR_SUCCESS);
    std::string before = ReadFile(StorePath());
    // The new file cannot be made: its name is taken by a directory.
    std::string blocker = StorePath() + ".new-" + std::to_string(getpid());
    ASSERT_EQ(mkdir(blocker.c_str(), 0755), 0);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(SetBytes(key.Handle(), "Lost", REG_SZ, Bytes("2", 2)), ERROR_CANTWRITE);
    std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("cannot write the registry store"), std::string::npos) << errors;
    rmdir(blocker.c_str());
    EXPECT_EQ(ReadFile(StorePath()), before);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key.Handle(), "Lost", nullptr, nullptr, nullptr, &size),
              ERROR_FILE_NOT_FOUND);
    ExpectValue(HERE, key.Handle(), "Kept", REG_SZ, Bytes("1", 2));
}

TEST(RegistryHostJournal, RecordsEverySetAndDelete) {
    ASSERT_TRUE(UseOwnJournal("registry-journal.jsonl"));
    ASSERT_EQ(MakeKey(HKEY_CURRENT_USER, "Software\\Journal\\Sub\\Leaf"), ERROR_SUCCESS);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\Journal", 0, KEY_ALL_ACCESS, &key),
              ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(key, "Caf\xe9", REG_SZ, Bytes("x", 2)), ERROR_SUCCESS);
    ASSERT_EQ(SetBytes(key, nullptr, REG_SZ, Bytes("x", 2)), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteValueA(key, "Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueA(key, ""), ERROR_SUCCESS);
    EXPECT_EQ(RegDeleteKeyA(key, "Sub"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(key, "Sub\\Leaf\\"), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, "Null", 0, REG_BINARY, nullptr, 1), ERROR_NOACCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Missing"), ERROR_FILE_NOT_FOUND);

    const std::string root = "\"root\":\"HKEY_CURRENT_USER\",\"key\":\"software\\\\Journal\",";
    std::vector<std::string> sets = JournalLines("registry_set_value");
    ASSERT_EQ(sets.size(), 3u);
    EXPECT_NE(sets[0].find(root +
                           "\"key_hex\":\"736f6674776172655c4a6f75726e616c\","
                           "\"value\":\"Caf\xc3\xa9\",\"value_hex\":\"436166e9\",\"result\":0"),
              std::string::npos)
        << sets[0];
    EXPECT_NE(sets[1].find("\"value\":null,\"value_hex\":null,\"result\":0"), std::string::npos)
        << sets[1];
    EXPECT_NE(sets[2].find("\"value\":\"Null\",\"value_hex\":\"4e756c6c\",\"result\":998"),
              std::string::npos)
        << sets[2];

    std::vector<std::string> values = JournalLines("registry_delete_value");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_NE(values[0].find(root), std::string::npos) << values[0];
    EXPECT_NE(values[0].find("\"value\":\"Missing\",\"value_hex\":\"4d697373696e67\",\"result\":2"),
              std::string::npos)
        << values[0];
    EXPECT_NE(values[1].find("\"value\":null,\"value_hex\":null,\"result\":0"), std::string::npos);

    std::vector<std::string> keys = JournalLines("registry_delete_key");
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_NE(keys[0].find("\"key\":\"software\\\\Journal\\\\Sub\","), std::string::npos)
        << keys[0];
    EXPECT_NE(keys[0].find("\"value\":null,\"value_hex\":null,\"result\":5"), std::string::npos)
        << keys[0];
    EXPECT_NE(keys[1].find("\"key\":\"software\\\\Journal\\\\Sub\\\\Leaf\","), std::string::npos)
        << keys[1];
    EXPECT_NE(keys[1].find("\"result\":0"), std::string::npos) << keys[1];
    EXPECT_NE(keys[2].find("\"root\":\"HKEY_LOCAL_MACHINE\",\"key\":\"Software\\\\Missing\","),
              std::string::npos)
        << keys[2];
    EXPECT_NE(keys[2].find("\"result\":2"), std::string::npos) << keys[2];
}

TEST(RegistryHostProcesses, ChangesOfAnotherProcessAreSeen) {
    // What the launcher relies on: an uninstaller that removes the product's
    // keys while the launcher waits is seen by the launcher's second look.
    ASSERT_EQ(MakeKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Product"), ERROR_SUCCESS);
    ASSERT_EQ(MakeKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Other"), ERROR_SUCCESS);
    HKEY product = nullptr, other = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Product", 0, KEY_READ, &product),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Other", 0, KEY_READ, &other),
              ERROR_SUCCESS);
    EXPECT_EQ(InChild([] {
                  HKEY key = nullptr;
                  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Other", 0,
                                    KEY_ALL_ACCESS, &key) != ERROR_SUCCESS ||
                      SetBytes(key, "Added", REG_SZ, Bytes("yes", 4)) != ERROR_SUCCESS)
                      return 1;
                  RegCloseKey(key);
                  return RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Product") ==
                                 ERROR_SUCCESS
                             ? 0
                             : 2;
              }),
              0);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(product, "x", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
    HKEY again = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor\\Product", 0, KEY_READ, &again),
              ERROR_FILE_NOT_FOUND);
    // A handle to a key that survived the other process's change still works.
    ExpectValue(HERE, other, "Added", REG_SZ, Bytes("yes", 4));
    RegCloseKey(product);
    RegCloseKey(other);
}

TEST(RegistryHostProcesses, WritersAtTheSameTimeLoseNothing) {
    ASSERT_EQ(MakeKey(HKEY_CURRENT_USER, "Software\\Shared"), ERROR_SUCCESS);
    constexpr int kWriters = 3, kValuesEach = 40;
    std::vector<pid_t> writers;
    for (int writer = 0; writer < kWriters; ++writer) {
        pid_t pid = fork();
        if (pid == 0) {
            HKEY key = nullptr;
            if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Shared", 0, KEY_ALL_ACCESS, &key))
                _exit(1);
            for (int i = 0; i < kValuesEach; ++i) {
                std::string name = "w" + std::to_string(writer) + "v" + std::to_string(i);
                if (SetBytes(key, name.c_str(), REG_DWORD, Bytes("\1\0\0\0", 4))) _exit(2);
            }
            _exit(0);
        }
        writers.push_back(pid);
    }
    for (pid_t pid : writers) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Shared", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, static_cast<DWORD>(kWriters * kValuesEach));
    RegCloseKey(key);
}

TEST(RegistryHostCodePage, RegistryTestsPassUnderCodePage932) {
    // The conformance tests and the store's text test again, on a Japanese machine.
    EXPECT_TRUE(PassOnAJapaneseMachine("Registry.*:RegistryHostStore.StoresTextAsUtf8"));
}

} // namespace
