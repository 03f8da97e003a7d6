// Drives of the host machine as in a Wine prefix: a link dosdevices/x: maps
// drive X: to its target; without links C: is drive_c and Z: the root. Paths
// go both ways: Windows names to files, and files (the program, the current
// directory, search results) to the drive that holds them.
#include "host_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace host_test;

// Links made for one test, removed again at its end.
class DriveLinks {
public:
    DriveLinks() { mkdir((Prefix() + "/dosdevices").c_str(), 0755); }
    ~DriveLinks() {
        for (const std::string& link : links_)
            unlink(link.c_str());
    }
    void Link(char letter, const std::string& target) {
        std::string link = Prefix() + "/dosdevices/" + letter + ":";
        ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0) << link;
        links_.push_back(link);
    }

private:
    std::vector<std::string> links_;
};

// A fresh directory below the machine's directory, with a file "Setup.ini".
std::string Directory(const std::string& name) {
    std::string path = Prefix() + "/" + name;
    mkdir(path.c_str(), 0755);
    WriteFile(path + "/Setup.ini", "[Startup]\r\n");
    return path;
}

std::string CurrentDirectory() {
    char buffer[MAX_PATH];
    DWORD length = GetCurrentDirectoryA(MAX_PATH, buffer);
    return std::string(buffer, length);
}

// Where a POSIX directory shows (the current directory's Windows name) and
// whether a Windows name reaches a file, with the links of each case.
TEST(Drives, LinksMapDrivesBothWays) {
    const std::string media = Directory("media");
    const std::string inner = Directory("media/inner");
    mkdir((Prefix() + "/drive_c/Program Files").c_str(), 0755);
    struct Case {
        const char* what;
        std::vector<std::pair<char, std::string>> links;
        std::string posixDirectory;
        const char* shown; // its Windows name
        const char* file;  // a Windows name of a file
        bool fileFound;
    };
    const Case cases[] = {
        {"no link: C: is drive_c",
         {},
         Prefix() + "/drive_c/Program Files",
         "C:\\Program Files",
         "",
         false},
        {"no link: the rest is on Z:", {}, media, "", "D:\\Setup.ini", false},
        {"d: names the medium", {{'d', media}}, media, "D:\\", "d:\\SETUP.INI", true},
        {"a relative link resolves from dosdevices",
         {{'d', "../media"}},
         inner,
         "D:\\inner",
         "D:\\inner\\setup.ini",
         true},
        {"the longest drive holding the path wins",
         {{'d', media}, {'e', inner}},
         inner,
         "E:\\",
         "E:\\Setup.ini",
         true},
        {"a broken link is no drive",
         {{'d', media}, {'f', "../nothere"}},
         media,
         "D:\\",
         "F:\\Setup.ini",
         false},
        {"a c: link replaces drive_c", {{'c', media}}, media, "C:\\", "C:\\Setup.ini", true},
    };
    char saved[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, saved), 0u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DriveLinks links;
        for (const auto& [letter, target] : c.links)
            links.Link(letter, target);
        ASSERT_EQ(chdir(c.posixDirectory.c_str()), 0);
        std::string expected = *c.shown ? c.shown : "Z:" + c.posixDirectory;
        if (!*c.shown)
            for (char& ch : expected)
                if (ch == '/') ch = '\\';
        EXPECT_EQ(CurrentDirectory(), expected);
        if (*c.file) {
            DWORD attributes = GetFileAttributesA(c.file);
            EXPECT_EQ(attributes != INVALID_FILE_ATTRIBUTES, c.fileFound) << c.file;
        }
    }
    SetCurrentDirectoryA(saved);
}

// A drive's root lists no "." and "..", wherever its directory is; the
// program's own name (GetModuleFileName) is on the drive that holds it.
TEST(Drives, ALinkedRootIsARoot) {
    const std::string media = Directory("rooted");
    DriveLinks links;
    links.Link('d', media);
    char saved[MAX_PATH];
    ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, saved), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA("D:\\"));
    EXPECT_EQ(CurrentDirectory(), "D:\\");
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("D:\\*", &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    std::vector<std::string> names{found.cFileName};
    while (FindNextFileA(search, &found))
        names.push_back(found.cFileName);
    FindClose(search);
    EXPECT_EQ(names, std::vector<std::string>{"Setup.ini"});
    SetCurrentDirectoryA(saved);

    char program[MAX_PATH];
    std::string programPath(program, GetModuleFileNameA(nullptr, program, MAX_PATH));
    std::string directory = programPath.substr(0, programPath.rfind('\\'));
    std::string posixDirectory = directory.substr(2);
    for (char& ch : posixDirectory)
        if (ch == '\\') ch = '/';
    links.Link('p', posixDirectory);
    EXPECT_EQ(std::string(program, GetModuleFileNameA(nullptr, program, MAX_PATH)),
              "P:" + programPath.substr(directory.size()));
}

} // namespace
