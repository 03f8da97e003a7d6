// The application title derived from the program file's name, and exception
// messages with their closing period.
#include "framework/application/application.h"
#include "system/doublebyte.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

std::string TitleOf(const std::string& path) {
    return DeriveTitle(path.c_str(), path.size() + 1);
}

// Switches this test process to a Japanese machine (code page 932). The host
// reads its machine once, so this works only before anything else asked it:
// CTest runs every test in a process of its own.
bool UseJapaneseMachine() {
    setenv("HOSTWIN_LCID", "1041", 1);
    setenv("HOSTWIN_ACP", "932", 1);
    StartDoubleByteModule();
    return GetACP() == 932 && DoubleByteLocale;
}

#define REQUIRE_JAPANESE_MACHINE()                                                                 \
    if (!UseJapaneseMachine()) GTEST_SKIP() << "needs a process of its own, as CTest runs it"

TEST(DeriveTitle, KeepsTheFirstCharacterAndLowersTheRestUpToTheFirstPeriod) {
    EXPECT_EQ(TitleOf("C:\\MEDIA\\SETUP.EXE"), "Setup");
    EXPECT_EQ(TitleOf("setup.exe"), "setup");
    EXPECT_EQ(TitleOf("Z:\\media\\my.setup.exe"), "my");
    EXPECT_EQ(TitleOf("C:\\Tools\\README"), "Readme");
    EXPECT_EQ(TitleOf("C:\\dir.with.dots\\Install.exe"), "Install");
    EXPECT_EQ(TitleOf(""), "");
}

TEST(DeriveTitle, NeverReadsPastAFullBufferWithoutTerminatingZero) {
    // GetModuleFileNameA leaves a long path without its zero: the bytes after
    // the buffer must not count.
    char memory[300];
    std::memset(memory, 'A', sizeof(memory));
    std::memcpy(memory + 256, "\\EVIL.EXE", 10);
    std::string title = DeriveTitle(memory, 256);
    ASSERT_EQ(title.size(), 256u);
    EXPECT_EQ(title, "A" + std::string(255, 'a'));
}

TEST(DeriveTitle, SkipsBackslashTrailBytesOfDoubleByteNames) {
    REQUIRE_JAPANESE_MACHINE();
    // 0x95 0x5C is one character whose trail byte is the backslash code.
    EXPECT_EQ(TitleOf("C:\\MEDIA\\x\x95\x5CSETUP.EXE"), "x\x95\x5Csetup");
    EXPECT_EQ(TitleOf("C:\\\x95\x5C\\SETUP.EXE"), "Setup");
}

TEST(DeriveTitle, NeverLowersTheTrailByteOfALeadingDoubleByteCharacter) {
    REQUIRE_JAPANESE_MACHINE();
    // 0x83 0x41 is one character whose trail byte is the code of 'A'.
    EXPECT_EQ(TitleOf("C:\\MEDIA\\\x83\x41SETUP.EXE"), "\x83\x41setup");
    EXPECT_EQ(TitleOf("\x83\x41.exe"), "\x83\x41");
}

TEST(WithClosingPeriod, AppendsAPeriodAfterLettersDigitsAndDoubleByteCharacters) {
    EXPECT_EQ(WithClosingPeriod("Abc"), "Abc.");
    EXPECT_EQ(WithClosingPeriod("Error 42"), "Error 42.");
    EXPECT_EQ(WithClosingPeriod("Abc."), "Abc.");
    EXPECT_EQ(WithClosingPeriod("Abc!"), "Abc!");
    EXPECT_EQ(WithClosingPeriod("(a)"), "(a)");
    EXPECT_EQ(WithClosingPeriod("a -"), "a -");
    EXPECT_EQ(WithClosingPeriod(""), "");
}

TEST(WithClosingPeriod, TreatsAFinalDoubleByteCharacterAsOne) {
    REQUIRE_JAPANESE_MACHINE();
    // The Japanese full stop 0x81 0x42 is greater than "." as a whole.
    EXPECT_EQ(WithClosingPeriod("\x8E\xB8\x94\x73\x81\x42"), "\x8E\xB8\x94\x73\x81\x42.");
    // A character whose trail byte is 0x2E would not be valid; a trail byte
    // at or below "." never ends a text, but a single "," does.
    EXPECT_EQ(WithClosingPeriod("\x83\x41,"), "\x83\x41,");
}

} // namespace
