// Byte classification, path cutting and character searches, in a single-byte
// locale and with the Shift-JIS lead bytes of code page 932.
#include "system/charscan.h"
#include "system/doublebyte.h"
#include "system/fileaccess.h"
#include "system/pathparts.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

// The lead bytes of code page 932 as GetCPInfo reports them.
const BYTE kShiftJisLeadBytes[MAX_LEADBYTES] = {0x81, 0x9F, 0xE0, 0xFC};

class DoubleByte : public ::testing::Test {
protected:
    void SetUp() override { UseShiftJis(); }
    void TearDown() override {
        DoubleByteLocale = false;
        LeadByteSet.Clear();
    }
    static void UseShiftJis() {
        LeadByteSet.Clear();
        AddLeadByteRanges(kShiftJisLeadBytes);
        DoubleByteLocale = true;
    }
};

// "C:\x" followed by one double-byte character whose trail byte is 0x5C.
const std::string kTrailBackslashPath = "C:\\x\x95\x5C";

TEST_F(DoubleByte, LeadByteRangesArePairsEndedByZeros) {
    LeadByteSet.Clear();
    const BYTE ranges[MAX_LEADBYTES] = {0x81, 0x82, 0x90, 0x80, 0xA0, 0xA0, 0, 0, 0xB0, 0xB0};
    AddLeadByteRanges(ranges);
    for (int value : {0x81, 0x82, 0xA0})
        EXPECT_TRUE(LeadByteSet.Contains(static_cast<BYTE>(value)));
    // A reversed pair adds nothing; pairs after the zero pair are not read.
    for (int value : {0x80, 0x83, 0x90, 0xB0})
        EXPECT_FALSE(LeadByteSet.Contains(static_cast<BYTE>(value)));
    const BYTE all[MAX_LEADBYTES] = {1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6};
    AddLeadByteRanges(all);
    for (int value = 1; value <= 6; ++value)
        EXPECT_TRUE(LeadByteSet.Contains(static_cast<BYTE>(value)));
    EXPECT_TRUE(LeadByteSet.Contains(0x81)); // earlier values stay
}

TEST_F(DoubleByte, RunsOfLeadBytesPairUpFromTheirStart) {
    const std::string s = "\x81\x81\x41";
    EXPECT_EQ(ClassifyByte(s, 1), brLead);
    EXPECT_EQ(ClassifyByte(s, 2), brTrail);
    EXPECT_EQ(ClassifyByte(s, 3), brSingle);
    const std::string run = "a\x81\x81\x81\x81";
    EXPECT_EQ(ClassifyByte(run, 2), brLead);
    EXPECT_EQ(ClassifyByte(run, 3), brTrail);
    EXPECT_EQ(ClassifyByte(run, 4), brLead);
    EXPECT_EQ(ClassifyByte(run, 5), brTrail);
    EXPECT_EQ(ClassifyByteZ(run.c_str(), 5), brSingle); // the terminator
    EXPECT_EQ(ClassifyByteZ(nullptr, 0), brSingle);
    DoubleByteLocale = false;
    EXPECT_EQ(ClassifyByte(s, 1), brSingle);
    EXPECT_EQ(ClassifyByte(s, 2), brSingle);
}

TEST_F(DoubleByte, PathPartsOfPlainPaths) {
    struct Case {
        const char* path;
        int delimiter;
        const char* directory;
        const char* name;
    };
    const Case cases[] = {
        {"", 0, "", ""},
        {"C:\\dir\\file.ini", 7, "C:\\dir\\", "file.ini"},
        {"C:\\dir\\", 7, "C:\\dir\\", ""},
        {"C:file", 2, "C:", "file"},
        {"file", 0, "", "file"},
    };
    for (bool doubleByte : {true, false}) {
        DoubleByteLocale = doubleByte;
        for (const Case& c : cases) {
            EXPECT_EQ(RightmostDelimiter("\\:", c.path), c.delimiter) << c.path;
            EXPECT_EQ(DirectoryPart(c.path), c.directory) << c.path;
            EXPECT_EQ(NamePart(c.path), c.name) << c.path;
        }
    }
}

TEST_F(DoubleByte, TrailByteWithTheBackslashCodeIsNoDelimiter) {
    EXPECT_EQ(RightmostDelimiter("\\:", kTrailBackslashPath), 3);
    EXPECT_EQ(DirectoryPart(kTrailBackslashPath), "C:\\");
    EXPECT_EQ(NamePart(kTrailBackslashPath), "x\x95\x5C");
    const std::string onlyTrail = "ab\x95\x5C"
                                  "cd";
    EXPECT_EQ(RightmostDelimiter("\\:", onlyTrail), 0);
    EXPECT_EQ(DirectoryPart(onlyTrail), "");
    // The program directory case: a real separator after such a character.
    const std::string program = "D:\\\x83\x5C\x83\x74\x83\x67\\Setup.exe";
    EXPECT_EQ(DirectoryPart(program), "D:\\\x83\x5C\x83\x74\x83\x67\\");

    DoubleByteLocale = false;
    EXPECT_EQ(RightmostDelimiter("\\:", kTrailBackslashPath), 6);
    EXPECT_EQ(DirectoryPart(kTrailBackslashPath), kTrailBackslashPath);
    EXPECT_EQ(NamePart(kTrailBackslashPath), "");
}

TEST_F(DoubleByte, FinalCharacterIsTheLeadByteOfADoubleByteCharacter) {
    const std::string doubleEnd = "ab\x95\x5C";
    EXPECT_EQ(FinalCharacter(doubleEnd), doubleEnd.c_str() + 2);
    const std::string single = "a";
    EXPECT_EQ(FinalCharacter(single), single.c_str());
    EXPECT_EQ(FinalCharacter(""), nullptr);
    DoubleByteLocale = false;
    EXPECT_EQ(FinalCharacter(doubleEnd), doubleEnd.c_str() + 3);
}

TEST_F(DoubleByte, CharacterScansSkipTrailBytes) {
    const char* path = kTrailBackslashPath.c_str();
    EXPECT_EQ(LastCharScan(path, '\\'), path + 2);
    EXPECT_EQ(FirstCharScan(path, '\\'), path + 2);
    const char* name = "x\x95\x5C";
    EXPECT_EQ(FirstCharScan(name, '\\'), nullptr);
    EXPECT_EQ(LastCharScan(name, '\\'), nullptr);
    EXPECT_EQ(FirstCharScan(name, 0), name + 3);
    EXPECT_EQ(LastCharScan(name, 0), name + 3);
    // A lead byte searched for itself is not a whole character either, and a
    // lone lead byte at the end does not lead the search past the terminator.
    EXPECT_EQ(FirstCharScan("\x95\x5C", '\x95'), nullptr);
    EXPECT_EQ(FirstCharScan("a\x95", '\x95'), nullptr);
    const char* dots = "a.b\x81.c.d";
    EXPECT_EQ(LastCharScan(dots, '.'), dots + 6);
    EXPECT_EQ(FirstCharScan(dots, '.'), dots + 1);
    EXPECT_EQ(ZStrScan(name, '\\'), name + 2);
    EXPECT_EQ(ZStrLength(name), 3);
    DoubleByteLocale = false;
    EXPECT_EQ(FirstCharScan(name, '\\'), name + 2);
}

TEST_F(DoubleByte, SubTextStartsOnACharacterBoundary) {
    // "\x81\x5C" is one character; the text "\x5C" inside it is not found there.
    const std::string s = "a\x81\x5C"
                          "b\\c";
    EXPECT_EQ(SubTextScan(s.c_str(), "\\c"), s.c_str() + 4);
    EXPECT_EQ(SubTextPosition("\\", s), 5);
    EXPECT_EQ(SubTextPosition("bc", "abc"), 2);
    EXPECT_EQ(SubTextPosition("abcd", "abc"), 0);
    EXPECT_EQ(SubTextPosition("", "abc"), 0);
    EXPECT_EQ(SubTextPosition("a", ""), 0);
    EXPECT_EQ(SubTextScan(nullptr, "a"), nullptr);
    DoubleByteLocale = false;
    EXPECT_EQ(SubTextPosition("\\", s), 3);
}

// Runs body in a fresh process whose host machine has the given ANSI code
// page (the machine is read once per process); the child reports failures
// on standard error and with its exit status.
void RunWithCodePage(const char* codePage, void (*body)()) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("HOSTWIN_ACP", codePage, 1);
            body();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "failed: %s\n", what);
    std::exit(1);
}

TEST(DoubleByteStartUp, FillsLeadBytesFromCodePage932) {
    RunWithCodePage("932", [] {
        StartDoubleByteModule();
        Require(DoubleByteLocale, "double-byte locale");
        for (int value = 0; value < 256; ++value) {
            bool lead = (value >= 0x81 && value <= 0x9F) || (value >= 0xE0 && value <= 0xFC);
            Require(LeadByteSet.Contains(static_cast<BYTE>(value)) == lead, "lead byte set");
        }
        // A Shift-JIS directory whose name ends in a 0x5C trail byte, on disk.
        const std::string directory = "C:\\x\x95\x5C";
        Require(CreateDirectoryA(directory.c_str(), nullptr) != FALSE, "create directory");
        const std::string file = directory + "\\SETUP.INI";
        HANDLE handle = FileCreate(file);
        Require(handle != INVALID_HANDLE_VALUE, "create file");
        FileClose(handle);
        Require(DirectoryPart(file) == directory + "\\", "directory part");
        Require(FileIsPresent(DirectoryPart(file) + "setup.ini"), "file present");
        Require(!FileIsPresent(directory), "directory not present");
    });
}

TEST(DoubleByteStartUp, LeavesSingleByteLocalesAlone) {
    RunWithCodePage("1252", [] {
        StartDoubleByteModule();
        Require(!DoubleByteLocale, "no double-byte locale");
        Require(LeadByteSet.Empty(), "empty lead byte set");
        Require(ClassifyByte("\x81\x81", 2) == brSingle, "single bytes");
    });
}

} // namespace
