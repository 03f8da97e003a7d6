// hostwin-reg run as a program on the test's machine; what it did is looked
// at through the registry functions of this process.
#include "tests/platform/host_test_support.h"
#include "tests/platform/registry_test_support.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <optional>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace host_test;
using namespace registry_test;

namespace {

struct ToolRun {
    int status = -1;
    std::string out, err;
};

using Environment = std::vector<std::pair<std::string, std::string>>;

// Runs hostwin-reg with the arguments on this test's machine, with the
// variables given added to its environment. With `typed`, its standard input
// is a terminal on which that text is typed.
ToolRun RunTool(std::vector<std::string> arguments, const Environment& environment,
                const std::optional<std::string>& typed) {
    std::string out = Prefix() + "/tool.out", err = Prefix() + "/tool.err";
    int master = -1, slave = -1;
    if (typed && openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return {};
    pid_t pid = fork();
    if (pid == 0) {
        for (const auto& [name, value] : environment)
            setenv(name.c_str(), value.c_str(), 1);
        int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (typed) {
            dup2(slave, 0);
            close(master);
        }
        dup2(outFd, 1);
        dup2(errFd, 2);
        std::vector<char*> argv{const_cast<char*>(HOSTWIN_REG_PROGRAM)};
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        execv(HOSTWIN_REG_PROGRAM, argv.data());
        _exit(127);
    }
    if (typed) {
        close(slave);
        EXPECT_EQ(write(master, typed->data(), typed->size()), static_cast<ssize_t>(typed->size()));
    }
    ToolRun run;
    int status = 0;
    waitpid(pid, &status, 0);
    if (typed) close(master);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFile(out);
    run.err = ReadFile(err);
    return run;
}

ToolRun Tool(std::vector<std::string> arguments, const Environment& environment = {}) {
    return RunTool(std::move(arguments), environment, std::nullopt);
}

ToolRun ToolAtTerminal(std::vector<std::string> arguments, const std::string& typed) {
    return RunTool(std::move(arguments), {}, typed);
}

#define EXPECT_TOOL(expectedStatus, ...)                                                           \
    do {                                                                                           \
        ToolRun run_ = Tool({__VA_ARGS__});                                                        \
        EXPECT_EQ(run_.status, expectedStatus) << run_.out << run_.err;                            \
    } while (0)

// UTF-16LE with its byte-order mark, as regedit writes a file.
std::string Utf16File(const std::string& utf8) {
    int units =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::vector<WCHAR> wide(static_cast<size_t>(units));
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), units);
    std::string bytes = "\xff\xfe";
    for (WCHAR unit : wide) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

HKEY OpenKey(const char* path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS)
        << path;
    return key;
}

bool KeyExists(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

TEST(HostwinReg, AddsAndQueriesValuesOfEveryType) {
    EXPECT_TOOL(0, "add", "HKCU\\Software\\Tool", "/v", "Text", "/d",
                "C:\\Program Files\\x.exe /S");
    EXPECT_TOOL(0, "add", "HKEY_CURRENT_USER\\Software\\Tool", "/ve", "/d", "default");
    EXPECT_TOOL(0, "add", "hkcu\\Software\\Tool", "/v", "Expand", "/t", "REG_EXPAND_SZ", "/d",
                "%TEMP%");
    EXPECT_TOOL(0, "add", "HKCU\\Software\\Tool", "/v", "Number", "/t", "REG_DWORD", "/d", "0x2a");
    EXPECT_TOOL(0, "add", "HKCU\\Software\\Tool", "/v", "Decimal", "/t", "reg_dword", "/d", "42");
    EXPECT_TOOL(0, "add", "HKCU\\Software\\Tool", "/v", "Big", "/t", "REG_QWORD", "/d",
                "0x100000000");
    EXPECT_TOOL(0, "add", "HKCU\\Software\\Tool", "/v", "Bytes", "/t", "REG_BINARY", "/d", "01ff");
    EXPECT_TOOL(0, "add", "HKCU\\Software\\Tool", "/v", "None", "/t", "REG_NONE");
    EXPECT_TOOL(0, "add", "HKCU\\Software\\Tool", "/v", "Multi", "/t", "REG_MULTI_SZ", "/d",
                "a\\0bc");
    EXPECT_TOOL(0, "add", "HKCU\\Software\\Tool", "/v", "Comma", "/t", "REG_MULTI_SZ", "/s", ",",
                "/d", "x,y");
    EXPECT_TOOL(0, "add", "HKCU\\Software\\Tool\\Only\\A\\Key");

    HKEY key = OpenKey("Software\\Tool");
    ExpectValue(HERE, key, "Text", REG_SZ, Bytes("C:\\Program Files\\x.exe /S", 26));
    ExpectValue(HERE, key, "", REG_SZ, Bytes("default", 8));
    ExpectValue(HERE, key, "Expand", REG_EXPAND_SZ, Bytes("%TEMP%", 7));
    ExpectValue(HERE, key, "Number", REG_DWORD, Bytes("\x2a\0\0\0", 4));
    ExpectValue(HERE, key, "Decimal", REG_DWORD, Bytes("\x2a\0\0\0", 4));
    ExpectValue(HERE, key, "Big", REG_QWORD, Bytes("\0\0\0\0\x01\0\0\0", 8));
    ExpectValue(HERE, key, "Bytes", REG_BINARY, "\x01\xff");
    ExpectValue(HERE, key, "None", REG_NONE, "");
    ExpectValue(HERE, key, "Multi", REG_MULTI_SZ, Bytes("a\0bc\0", 6));
    ExpectValue(HERE, key, "Comma", REG_MULTI_SZ, Bytes("x\0y\0", 5));
    RegCloseKey(key);
    EXPECT_TRUE(KeyExists("Software\\Tool\\Only\\A\\Key"));

    ToolRun query = Tool({"query", "HKCU\\Software\\Tool"});
    EXPECT_EQ(query.status, 0);
    for (const char* line :
         {"\nHKEY_CURRENT_USER\\Software\\Tool\n", "    (Default)    REG_SZ    default\n",
          "    Text    REG_SZ    C:\\Program Files\\x.exe /S\n",
          "    Number    REG_DWORD    0x2a\n", "    Big    REG_QWORD    0x100000000\n",
          "    Bytes    REG_BINARY    01FF\n", "    Multi    REG_MULTI_SZ    a\\0bc\n",
          "\nHKEY_CURRENT_USER\\Software\\Tool\\Only\n"})
        EXPECT_NE(query.out.find(line), std::string::npos) << line << query.out;
    ToolRun one = Tool({"query", "HKCU\\Software\\Tool", "/v", "number"});
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(one.out, "\nHKEY_CURRENT_USER\\Software\\Tool\n    Number    REG_DWORD    0x2a\n\n");
    ToolRun deep = Tool({"query", "HKCU\\Software", "/s"});
    EXPECT_NE(deep.out.find("\nHKEY_CURRENT_USER\\Software\\Tool\\Only\\A\\Key\n"),
              std::string::npos)
        << deep.out;
    // The same for tools: one JSON line a key, typed data.
    ToolRun json = Tool({"query", "HKCU\\Software\\Tool", "/json", "/s"});
    EXPECT_EQ(json.status, 0);
    for (const char* part :
         {"{\"key\": \"HKEY_CURRENT_USER\\\\Software\\\\Tool\", \"subkeys\": [\"Only\"], ",
          "{\"name\": \"Number\", \"type\": \"REG_DWORD\", \"data\": 42}",
          "{\"name\": \"Big\", \"type\": \"REG_QWORD\", \"data\": 4294967296}",
          "{\"name\": \"Multi\", \"type\": \"REG_MULTI_SZ\", \"data\": [\"a\", \"bc\"]}",
          "{\"name\": \"Bytes\", \"type\": \"REG_BINARY\", \"data\": \"01FF\"}",
          "\n{\"key\": \"HKEY_CURRENT_USER\\\\Software\\\\Tool\\\\Only\\\\A\\\\Key\", \"subkeys\": "
          "[], "
          "\"values\": []}\n"})
        EXPECT_NE(json.out.find(part), std::string::npos) << part << json.out;
    EXPECT_TOOL(1, "query", "HKCU\\Software\\Tool", "/v", "Missing");
    EXPECT_TOOL(1, "query", "HKCU\\Software\\Missing");
}

TEST(HostwinReg, AddAsksBeforeReplacingAValue) {
    EXPECT_TOOL(0, "add", "HKCU\\Software\\Tool", "/v", "Text", "/d", "first");
    // Nobody at a terminal: refused, saying how to replace it.
    ToolRun refused = Tool({"add", "HKCU\\Software\\Tool", "/v", "Text", "/d", "second"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("ERROR: The value Text exists already and there is no terminal to "
                               "ask; add /f to overwrite it."),
              std::string::npos)
        << refused.err;
    HKEY key = OpenKey("Software\\Tool");
    ExpectValue(HERE, key, "Text", REG_SZ, Bytes("first", 6));
    // A person at the terminal is asked; "no" keeps the value.
    ToolRun no = ToolAtTerminal({"add", "HKCU\\Software\\Tool", "/v", "Text", "/d", "x"}, "n\n");
    EXPECT_EQ(no.status, 1);
    EXPECT_NE(no.out.find("Value Text exists, overwrite (Yes/No)? "), std::string::npos) << no.out;
    EXPECT_NE(no.out.find("The operation was cancelled by the user."), std::string::npos) << no.out;
    ExpectValue(HERE, key, "Text", REG_SZ, Bytes("first", 6));
    ToolRun yes = ToolAtTerminal({"add", "HKCU\\Software\\Tool", "/v", "Text", "/d", "third"},
                                 "maybe\nyes\n");
    EXPECT_EQ(yes.status, 0) << yes.out << yes.err;
    EXPECT_NE(yes.out.find("The operation completed successfully."), std::string::npos) << yes.out;
    ExpectValue(HERE, key, "Text", REG_SZ, Bytes("third", 6));
    EXPECT_TOOL(0, "add", "HKCU\\Software\\Tool", "/v", "Text", "/t", "REG_DWORD", "/d", "7", "/f");
    ExpectValue(HERE, key, "Text", REG_DWORD, Bytes("\7\0\0\0", 4));
    RegCloseKey(key);
    // delete asks too, at a terminal.
    ToolRun keep = ToolAtTerminal({"delete", "HKCU\\Software\\Tool", "/v", "Text"}, "no\n");
    EXPECT_EQ(keep.status, 1);
    EXPECT_NE(keep.out.find("Delete the registry value Text (Yes/No)? "), std::string::npos)
        << keep.out;
    ToolRun gone = ToolAtTerminal({"delete", "HKCU\\Software\\Tool"}, "y\n");
    EXPECT_EQ(gone.status, 0);
    EXPECT_NE(
        gone.out.find(
            "Permanently delete the registry key HKEY_CURRENT_USER\\Software\\Tool (Yes/No)? "),
        std::string::npos)
        << gone.out;
    EXPECT_FALSE(KeyExists("Software\\Tool"));
}

TEST(HostwinReg, QueryFiltersByTypeAndSearches) {
    EXPECT_TOOL(0, "add", "HKCU\\Software\\Find", "/v", "Greeting", "/d", "Hello world");
    EXPECT_TOOL(0, "add", "HKCU\\Software\\Find", "/v", "hello", "/t", "REG_DWORD", "/d", "1");
    EXPECT_TOOL(0, "add", "HKCU\\Software\\Find", "/v", "Other", "/d", "bye");
    EXPECT_TOOL(0, "add", "HKCU\\Software\\Find\\HelloKey\\Deep", "/v", "x", "/d", "hello");

    ToolRun dwords = Tool({"query", "HKCU\\Software\\Find", "/t", "REG_DWORD"});
    EXPECT_EQ(dwords.status, 0);
    EXPECT_EQ(dwords.out, "\nHKEY_CURRENT_USER\\Software\\Find\n    hello    REG_DWORD    0x1\n"
                          "End of search: 1 match(es) found.\n");
    ToolRun two = Tool({"query", "HKCU\\Software\\Find", "/t", "reg_sz,REG_DWORD"});
    EXPECT_NE(two.out.find("End of search: 3 match(es) found."), std::string::npos) << two.out;

    // /f: key names, value names and data, without regard to case, in part.
    ToolRun found = Tool({"query", "HKCU\\Software\\Find", "/f", "hello"});
    EXPECT_EQ(found.status, 0);
    EXPECT_EQ(found.out, "\nHKEY_CURRENT_USER\\Software\\Find\n"
                         "    Greeting    REG_SZ    Hello world\n"
                         "    hello    REG_DWORD    0x1\n"
                         "\nHKEY_CURRENT_USER\\Software\\Find\\HelloKey\n"
                         "End of search: 3 match(es) found.\n");
    const struct {
        std::vector<std::string> options;
        int matches;
    } searches[] = {
        {{"/f", "hello", "/k"}, 1},           {{"/f", "hello", "/d"}, 1},
        {{"/f", "hello", "/c"}, 1},           {{"/f", "hello", "/e"}, 1},
        {{"/f", "hello", "/s"}, 4},           {{"/f", "h*o w?rld", "/e", "/d"}, 1},
        {{"/f", "hello", "/s", "/k"}, 1},     {{"/f", "nothing"}, 0},
        {{"/f", "hello", "/t", "REG_SZ"}, 2},
    };
    for (const auto& search : searches) {
        std::vector<std::string> arguments{"query", "HKCU\\Software\\Find"};
        arguments.insert(arguments.end(), search.options.begin(), search.options.end());
        ToolRun run = Tool(arguments);
        std::string shown;
        for (const std::string& part : search.options)
            shown += part + " ";
        EXPECT_EQ(run.status, search.matches ? 0 : 1) << shown;
        EXPECT_NE(run.out.find("End of search: " + std::to_string(search.matches) + " match(es)"),
                  std::string::npos)
            << shown << run.out;
    }
}

TEST(HostwinReg, RefusesWhatRegRefusesSayingWhy) {
    const struct {
        std::vector<std::string> line;
        const char* message;
    } cases[] = {
        {{"query", "HKCU\\Software", "/f"}, "option /f needs a value"},
        {{"query", "HKCU\\Software", "/k"}, "/k, /d, /c and /e go with /f PATTERN"},
        {{"query", "HKCU\\Software", "/v", "x", "/f", "y"}, "excludes /v and /ve"},
        {{"query", "HKCU\\Software", "/t", "REG_WHAT"}, "Invalid type \"REG_WHAT\" after /t"},
        {{"delete", "HKCU\\Software\\X", "/t", "REG_SZ"}, "/t is not an option of DELETE"},
        {{"delete", "HKCU\\Software\\X", "/d", "x"}, "/d is not an option of DELETE"},
        {{"export", "HKCU\\Software", "x.reg", "/f"}, "/f is not an option of EXPORT"},
        {{"add", "HKCU\\Software\\X", "/va"}, "/va is not an option of ADD"},
        {{"import", "a.reg", "b.reg"}, "IMPORT takes a file name, 2 given"},
        {{"query", "HKCU/Software/Test"},
         "keys are separated by backslashes (\\), not forward slashes"},
        {{"query", "HKU\\Software"}, "it must begin with HKLM, HKCU"},
        {{"query", "HKLM\\SOFTWARE", "/reg:32", "/reg:64"}, "/reg:32 and /reg:64 are given"},
        {{"query", "HKCU\\Software", "/json", "/v", "x"}, "/json lists whole keys"},
    };
    for (const auto& test : cases) {
        ToolRun run = Tool(test.line);
        EXPECT_EQ(run.status, 1) << test.message;
        EXPECT_NE(run.err.find(test.message), std::string::npos) << run.err;
        EXPECT_EQ(run.err.rfind("ERROR: ", 0), 0u) << run.err;
    }
}

TEST(HostwinReg, DeletesValuesAndWholeKeys) {
    ASSERT_TRUE(UseOwnJournal("tool-journal.jsonl"));
    EXPECT_TOOL(0, "add", "HKCU\\Software\\Gone\\Deep\\Deeper", "/v", "a", "/d", "1");
    EXPECT_TOOL(0, "add", "HKCU\\Software\\Gone", "/v", "b", "/d", "2");
    EXPECT_TOOL(0, "add", "HKCU\\Software\\Gone", "/v", "c", "/d", "3");
    EXPECT_TOOL(0, "add", "HKCU\\Software\\Gone", "/ve", "/d", "4");
    EXPECT_TOOL(0, "delete", "HKCU\\Software\\Gone", "/v", "B");
    EXPECT_TOOL(0, "delete", "HKCU\\Software\\Gone", "/ve");
    EXPECT_TOOL(1, "delete", "HKCU\\Software\\Gone", "/v", "b");
    HKEY key = OpenKey("Software\\Gone");
    DWORD values = 0;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 1u);
    EXPECT_TOOL(0, "delete", "HKCU\\Software\\Gone", "/va", "/f");
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 0u);
    // The whole tree goes, deepest keys first, without a question.
    EXPECT_TOOL(0, "delete", "HKCU\\Software\\Gone");
    EXPECT_FALSE(KeyExists("Software\\Gone"));
    EXPECT_EQ(RegFlushKey(key), ERROR_KEY_DELETED);
    RegCloseKey(key);
    EXPECT_TOOL(1, "delete", "HKCU\\Software\\Gone", "/f");
    EXPECT_TOOL(1, "delete", "HKCU");

    // Its changes went to the journal as the registry functions' changes.
    std::vector<std::string> deletions = JournalLines("registry_delete_key");
    ASSERT_EQ(deletions.size(), 3u);
    EXPECT_NE(
        deletions[0].find("\"key\":\"Software\\\\Gone\\\\Deep\\\\Deeper\",\"key_hex\":\"536f66"),
        std::string::npos)
        << deletions[0];
    EXPECT_NE(deletions[2].find("\"key\":\"Software\\\\Gone\","), std::string::npos)
        << deletions[2];
    EXPECT_NE(deletions[2].find("\"program\":\"hostwin-reg\""), std::string::npos) << deletions[2];
}

TEST(HostwinReg, ExportAndImportKeepEveryValue) {
    ASSERT_EQ(MakeKey(HKEY_CURRENT_USER, "Software\\Trip\\Empty"), ERROR_SUCCESS);
    HKEY key = OpenKey("Software\\Trip");
    const struct {
        const char* name;
        DWORD type;
        std::string data;
    } values[] = {
        {"Text", REG_SZ, Bytes("a \"b\" \\c", 9)},
        {"Bare", REG_SZ, Bytes("abcd", 3)},
        {"Inner", REG_SZ, Bytes("a\0b", 4)},
        {"Number", REG_DWORD, Bytes("\1\2\3\4", 4)},
        {"Odd", 0x4321, "xyz"},
        {"Long", REG_BINARY, std::string(100, '\x5a')},
    };
    for (const auto& value : values)
        ASSERT_EQ(SetBytes(key, value.name, value.type, value.data), ERROR_SUCCESS);
    RegCloseKey(key);

    std::string file = Prefix() + "/trip.reg";
    EXPECT_TOOL(0, "export", "HKCU\\software\\trip", file);
    // What regedit writes: UTF-16LE with its byte-order mark, CR LF line ends.
    std::string exported = ReadFile(file);
    EXPECT_EQ(exported.rfind(Utf16File("Windows Registry Editor Version 5.00\r\n\r\n"
                                       "[HKEY_CURRENT_USER\\Software\\Trip]\r\n"),
                             0),
              0u);
    EXPECT_NE(
        exported.find(Utf16File("\r\n[HKEY_CURRENT_USER\\Software\\Trip\\Empty]\r\n").substr(2)),
        std::string::npos);
    EXPECT_TOOL(1, "export", "HKCU\\Software\\Trip", file); // the file exists
    EXPECT_TOOL(0, "export", "HKCU\\Software\\Trip", file, "/y");

    EXPECT_TOOL(0, "delete", "HKCU\\Software\\Trip");
    EXPECT_TOOL(0, "import", file);
    key = OpenKey("Software\\Trip");
    for (const auto& value : values)
        ExpectValue(HERE, key, value.name, value.type, value.data);
    RegCloseKey(key);
    EXPECT_TRUE(KeyExists("Software\\Trip\\Empty"));

    // Import files may delete keys and values.
    std::ofstream(file, std::ios::trunc) << "Windows Registry Editor Version 5.00\n\n"
                                            "[-HKEY_CURRENT_USER\\Software\\Trip\\Empty]\n\n"
                                            "[HKEY_CURRENT_USER\\Software\\Trip]\n\"Text\"=-\n";
    EXPECT_TOOL(0, "import", file);
    EXPECT_FALSE(KeyExists("Software\\Trip\\Empty"));
    key = OpenKey("Software\\Trip");
    EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

// The lines "hostwin-reg query KEY" prints for the values.
void ExpectQueryLines(Where where, const std::string& key, const std::vector<std::string>& lines,
                      const Environment& environment = {}) {
    ToolRun query = Tool({"query", key}, environment);
    EXPECT_EQ(query.status, 0) << where.file << ":" << where.line << ": " << query.err;
    for (const std::string& line : lines)
        EXPECT_NE(query.out.find("\n    " + line + "\n"), std::string::npos)
            << where.file << ":" << where.line << ": " << line << "\n"
            << query.out;
}

// Whether the key exists in HKLM in the view that the KEY_WOW64_* flag picks.
bool MachineKeyExists(const char* path, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

TEST(HostwinReg, ViewsAreChosenAsRegChoosesThem) {
    ASSERT_TRUE(UseOwnJournal("views-journal.jsonl"));
    // A 64-bit program, as reg is, whatever kind of program its caller is.
    EXPECT_TOOL(0, "add", "HKLM\\SOFTWARE\\V", "/v", "Bits", "/d", "32", "/reg:32");
    // The journal tells the view and where the store keeps the key.
    std::vector<std::string> sets = JournalLines("registry_set_value");
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_NE(sets[0].find("\"key\":\"SOFTWARE\\\\V\","), std::string::npos) << sets[0];
    EXPECT_NE(sets[0].find("\"view\":32,\"store_key\":\"SOFTWARE\\\\WOW6432Node\\\\V\""),
              std::string::npos)
        << sets[0];
    EXPECT_EQ(
        Tool({"add", "HKLM\\SOFTWARE\\V", "/v", "Bits", "/d", "64"}, {{"HOSTWIN_PROCESS", "wow64"}})
            .status,
        0);
    ExpectQueryLines(HERE, "HKLM\\SOFTWARE\\WOW6432Node\\V", {"Bits    REG_SZ    32"});
    ExpectQueryLines(HERE, "HKLM\\SOFTWARE\\V", {"Bits    REG_SZ    64"});

    // Export names the 32-bit view's keys below WOW6432Node, as regedit does,
    // in either view; import puts them back there.
    const std::string whole = Prefix() + "/software.reg", part = Prefix() + "/part.reg";
    EXPECT_TOOL(0, "export", "HKLM\\SOFTWARE", whole);
    EXPECT_TOOL(0, "export", "HKLM\\SOFTWARE\\V", part, "/reg:32");
    for (const std::string& file : {whole, part})
        EXPECT_NE(ReadFile(file).find(Utf16File("[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\V]\r\n"
                                                "\"Bits\"=\"32\"\r\n")
                                          .substr(2)),
                  std::string::npos)
            << file;
    EXPECT_TOOL(0, "delete", "HKLM\\SOFTWARE\\V", "/reg:32");
    EXPECT_FALSE(MachineKeyExists("SOFTWARE\\V", KEY_WOW64_32KEY));
    EXPECT_TOOL(0, "delete", "HKLM\\SOFTWARE\\V");
    EXPECT_TOOL(0, "import", whole);
    ExpectQueryLines(HERE, "HKLM\\SOFTWARE\\WOW6432Node\\V", {"Bits    REG_SZ    32"});
    ExpectQueryLines(HERE, "HKLM\\SOFTWARE\\V", {"Bits    REG_SZ    64"});

    // A 32-bit regedit puts a file's HKLM\SOFTWARE keys in the 32-bit view.
    WriteFile(part, "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\W]\n");
    EXPECT_TOOL(0, "import", part, "/reg:32");
    EXPECT_TRUE(MachineKeyExists("SOFTWARE\\WOW6432Node\\W", KEY_WOW64_64KEY));
    EXPECT_FALSE(MachineKeyExists("SOFTWARE\\W", KEY_WOW64_64KEY));
}

TEST(HostwinReg, ImportReadsRegeditFilesInEveryEncoding) {
    const std::string so = "\xe3\x82\xbd"; // ソ, whose Shift-JIS trail byte is a backslash
    const std::string body = "\r\n[HKEY_CURRENT_USER\\Software\\Enc\\" + so +
                             "]\r\n"
                             "\"Name\"=\"" +
                             so +
                             "\"\r\n"
                             // %TMP%\x, its hex data continued over two lines as regedit wraps it
                             "\"Exp\"=hex(2):25,00,54,00,4d,00,50,00,25,00,\\\r\n"
                             "  5c,00,78,00,00,00\r\n"
                             "\"Multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
                             "\"Q\"=hex(b):01,00,00,00,01,00,00,00\r\n"
                             "\"D\"=dword:0000002a\r\n";
    const std::vector<std::string> expected = {
        "Name    REG_SZ    " + so, "Exp    REG_EXPAND_SZ    %TMP%\\x",
        "Multi    REG_MULTI_SZ    a\\0b", "Q    REG_QWORD    0x100000001",
        "D    REG_DWORD    0x2a"};
    const std::string key = "HKCU\\Software\\Enc\\" + so;
    const std::string header = "Windows Registry Editor Version 5.00\r\n";
    const struct {
        const char* name;
        std::string bytes;
    } files[] = {
        {"utf16.reg", Utf16File(header + body)},
        {"utf8bom.reg", "\xef\xbb\xbf" + header + body},
        {"utf8.reg", header + body},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        WriteFile(Prefix() + "/" + file.name, file.bytes);
        EXPECT_TOOL(0, "import", Prefix() + "/" + file.name);
        ExpectQueryLines(HERE, key, expected);
        EXPECT_TOOL(0, "delete", "HKCU\\Software\\Enc");
    }

    // REGEDIT4: texts and the text types' hex data in the machine's code page.
    const Environment japanese = {{"HOSTWIN_ACP", "932"}};
    WriteFile(Prefix() + "/old.reg",
              "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Old\x83\x5c]\r\n"
              "\"Name\"=\"\x83\x5c\x83\x74\x83\x67\"\r\n"
              "\"Exp\"=hex(2):25,54,4d,50,25,5c,83,5c,00\r\n"
              "\"Multi\"=hex(7):61,00,83,5c,00,00\r\n"
              "\"Q\"=hex(b):2a,00,00,00,00,00,00,00\r\n");
    ToolRun old = Tool({"import", Prefix() + "/old.reg"}, japanese);
    EXPECT_EQ(old.status, 0) << old.err;
    ExpectQueryLines(HERE, "HKCU\\Software\\Old" + so,
                     {"Name    REG_SZ    " + so + "\xe3\x83\x95\xe3\x83\x88",
                      "Exp    REG_EXPAND_SZ    %TMP%\\" + so, "Multi    REG_MULTI_SZ    a\\0" + so,
                      "Q    REG_QWORD    0x2a"},
                     japanese);

    // Errors name the file and the line, also in UTF-16.
    WriteFile(Prefix() + "/bad16.reg",
              Utf16File(header + "\r\n[HKEY_CURRENT_USER\\Software\\Bad]\r\n\"x\"=hex(2):zz\r\n"));
    ToolRun bad = Tool({"import", Prefix() + "/bad16.reg"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find(Prefix() + "/bad16.reg:4: bad hex data"), std::string::npos) << bad.err;
    ToolRun directory = Tool({"import", Prefix()});
    EXPECT_EQ(directory.status, 1);
    EXPECT_NE(directory.err.find(Prefix() + ": cannot read the file: Is a directory"),
              std::string::npos)
        << directory.err;
}

TEST(HostwinReg, ImportOfAMalformedFileChangesNothing) {
    std::string file = Prefix() + "/bad.reg";
    std::ofstream(file, std::ios::trunc) << "Windows Registry Editor Version 5.00\n\n"
                                            "[HKEY_CURRENT_USER\\Software\\Half]\n\"ok\"=\"1\"\n"
                                            "\"bad\"=dword:xyz\n";
    ToolRun run = Tool({"import", file});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(file + ":5: bad dword value"), std::string::npos) << run.err;
    EXPECT_FALSE(KeyExists("Software\\Half"));
}

TEST(HostwinReg, RefusesBadCommandLines) {
    const std::vector<std::vector<std::string>> lines = {
        {},
        {"frobnicate", "HKCU\\Software"},
        {"query"},
        {"query", "HKU\\Software"},
        {"add", "HKCU\\Software\\X", "/v"},
        {"add", "HKCU\\Software\\X", "/t", "REG_WHATEVER"},
        {"add", "HKCU\\Software\\X", "/v", "n", "/t", "REG_DWORD", "/d", "0x100000000"},
        {"add", "HKCU\\Software\\X", "/v", "n", "/t", "REG_BINARY", "/d", "abc"},
        {"add", "HKCU\\Software\\X", "/v", "n", "/ve"},
        {"delete", "HKCU\\Software\\X", "/q"},
        {"import"},
        {"import", "/nonexistent/file.reg"},
    };
    for (const auto& line : lines) {
        ToolRun run = Tool(line);
        std::string shown;
        for (const std::string& part : line)
            shown += part + " ";
        EXPECT_EQ(run.status, 1) << shown;
        EXPECT_FALSE(run.err.empty()) << shown;
    }
    EXPECT_FALSE(KeyExists("Software\\X"));
    EXPECT_EQ(Tool({"/?"}).status, 0);
}

TEST(HostwinReg, MachineSettingsAreReadAsUsersWriteThem) {
    // A locale name gives its code page: this REGEDIT4 file's Shift-JIS is read as such.
    WriteFile(Prefix() + "/sjis.reg",
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Lcid]\n\"N\"=\"\x83\x5c\"\n");
    ToolRun named = Tool({"import", Prefix() + "/sjis.reg"}, {{"HOSTWIN_LCID", "ja-JP"}});
    EXPECT_EQ(named.status, 0);
    EXPECT_EQ(named.err, "");
    ExpectQueryLines(HERE, "HKCU\\Software\\Lcid", {"N    REG_SZ    \xe3\x82\xbd"});
    // An unusable value is reported once, saying what the variable takes.
    ToolRun bad = Tool({"query", "HKCU\\Software\\Lcid"}, {{"HOSTWIN_LCID", "Klingon"}});
    EXPECT_EQ(bad.status, 0);
    EXPECT_EQ(bad.err, "hostwin: ignoring HOSTWIN_LCID=Klingon: it takes a locale identifier in "
                       "decimal or 0x hexadecimal (1041, 0x411) or a locale name (ja-JP, en-US)\n");
    // Without HOSTWIN_PREFIX the default machine is made in $HOME/.hostwin, and said so once.
    std::string home = Prefix() + "/home";
    mkdir(home.c_str(), 0755);
    const Environment unset = {{"HOME", home}, {"HOSTWIN_PREFIX", ""}};
    ToolRun first = Tool({"add", "HKCU\\Software\\Home"}, unset);
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.err,
              "hostwin: HOSTWIN_PREFIX is not set; created the machine in " + home + "/.hostwin\n");
    ToolRun second = Tool({"query", "HKCU\\Software\\Home"}, unset);
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.err, "");
    EXPECT_FALSE(KeyExists("Software\\Home")); // made on the other machine
}

TEST(HostwinReg, TextsAreUtf8) {
    const std::string name = "\xe3\x82\xbd\xe3\x83\x95\xe3\x83\x88"; // ソフト
    EXPECT_TOOL(0, "add", "HKCU\\Software\\" + name, "/v", name, "/d", "caf\xc3\xa9");
    EXPECT_NE(ReadFile(Prefix() + "/registry.reg")
                  .find("[HKEY_CURRENT_USER\\Software\\" + name + "]\n\"" + name +
                        "\"=\"caf\xc3\xa9\"\n"),
              std::string::npos);
    ToolRun query = Tool({"query", "HKCU\\Software\\" + name});
    EXPECT_NE(query.out.find("    " + name + "    REG_SZ    caf\xc3\xa9\n"), std::string::npos)
        << query.out;
}

} // namespace
