// Conformance of the profile functions: names, values, buffer cuts, listings
// and writes as Windows handles them.
#include "conformance.h"

#include <vector>

using namespace conformance;

namespace {

class Profile : public ::testing::Test {
protected:
    void SetUp() override { file_ = FreshDirectory() + "\\test.ini"; }

    // Reads through a buffer of size bytes followed by sentinels and checks the
    // result, the bytes copied and that nothing was written past them.
    void ExpectRead(LPCSTR section, LPCSTR key, LPCSTR defaultValue, DWORD size,
                    std::string_view expected,
                    std::source_location where = std::source_location::current()) {
        CONFORMANCE_TRACE(where);
        std::vector<char> buffer(size + 8, kSentinel);
        DWORD result = GetPrivateProfileStringA(section, key, defaultValue, buffer.data(), size,
                                                file_.c_str());
        ASSERT_EQ(result, expected.size());
        EXPECT_EQ(std::string_view(buffer.data(), result), expected);
        EXPECT_EQ(buffer[result], '\0');
        for (size_t i = size; i < buffer.size(); ++i)
            EXPECT_EQ(buffer[i], kSentinel) << "byte " << i;
    }

    void ExpectValue(LPCSTR section, LPCSTR key, std::string_view expected,
                     std::source_location where = std::source_location::current()) {
        ExpectRead(section, key, "<default>", 64, expected, where);
    }

    // A listing cut short: size - 2 bytes of names and a zero after them;
    // the buffer's last byte is left as it was.
    void ExpectCutList(LPCSTR section, DWORD size, std::string_view expected,
                       std::source_location where = std::source_location::current()) {
        CONFORMANCE_TRACE(where);
        std::vector<char> buffer(size + 8, kSentinel);
        DWORD result =
            GetPrivateProfileStringA(section, nullptr, nullptr, buffer.data(), size, file_.c_str());
        ASSERT_EQ(result, size - 2);
        EXPECT_EQ(std::string_view(buffer.data(), result), expected);
        EXPECT_EQ(buffer[size - 2], '\0');
        EXPECT_EQ(buffer[size - 1], kSentinel);
        for (size_t i = size; i < buffer.size(); ++i)
            EXPECT_EQ(buffer[i], kSentinel) << "byte " << i;
    }

    BOOL Write(LPCSTR section, LPCSTR key, LPCSTR value) {
        return WritePrivateProfileStringA(section, key, value, file_.c_str());
    }

    std::string file_;
};

TEST_F(Profile, MatchesNamesWithoutCaseOrSurroundingBlanks) {
    WriteBytes(file_, "  [ Setup ]  \r\n  AppName  =   My App  \r\n[other]\r\nk=1\r\n");
    ExpectValue("Setup", "AppName", "My App");
    ExpectValue("SETUP", "appname", "My App");
    ExpectValue(" setup ", " APPNAME ", "My App");
    ExpectValue("other", "K", "1");
    ExpectValue("setup", "k", "<default>");
}

TEST_F(Profile, StripsBlanksEndsAtAZeroByteThenStripsOnePairOfMatchingQuotes) {
    // A value ends at its first zero byte after the blanks around the line's
    // value went, and before quotes are matched: a blank before the zero
    // stays, a quote cut from its partner stays.
    using namespace std::string_view_literals;
    WriteBytes(file_,
               "[q]\r\ndouble=\"quoted\"\r\nsingle='single'\r\nmixed=\"mixed'\r\nopen=\"open\r\n"
               "inner=  \" in \"  \r\nempty=\"\"\r\nthree=\"a\"b\"\r\nlone='\r\ntabs=\tv\t\r\n"
               "equals=a=b\r\nAppName=\0Product\r\ncut=A\0B\r\nquotedcut=\"X\0Y\"\r\n"
               "blankcut= A \0B \r\nonlyzero=  \0  \r\n"sv);
    ExpectValue("q", "double", "quoted");
    ExpectValue("q", "single", "single");
    ExpectValue("q", "mixed", "\"mixed'");
    ExpectValue("q", "open", "\"open");
    ExpectValue("q", "inner", " in ");
    ExpectValue("q", "empty", "");
    ExpectValue("q", "three", "a\"b");
    ExpectValue("q", "lone", "'");
    ExpectValue("q", "tabs", "v");
    ExpectValue("q", "equals", "a=b");
    ExpectValue("q", "AppName", "");
    ExpectValue("q", "cut", "A");
    ExpectValue("q", "quotedcut", "\"X");
    ExpectValue("q", "blankcut", "A ");
    ExpectValue("q", "onlyzero", "");
}

TEST_F(Profile, FirstSectionAndFirstKeyWin) {
    WriteBytes(file_, "[s]\r\ndup=first\r\ndup=second\r\n[S]\r\nlater=1\r\ndup=third\r\n");
    ExpectValue("s", "dup", "first");
    ExpectValue("s", "later", "<default>");
}

TEST_F(Profile, ReadsOddLinesAsWindowsDoes) {
    // Entries before any section belong to the section with the empty name;
    // "[a" without "]" is no header, so k=2 still belongs there; text after
    // "]" is ignored; a line without "=" is no entry; ";" lines are found by name.
    WriteBytes(file_,
               "top=1\r\n[a\r\nk=2\r\n[b]x\r\nk=3\r\nnokeyline\r\n;comment=4\r\n=emptykey\r\n");
    ExpectValue("", "top", "1");
    ExpectValue("", "k", "2");
    ExpectValue("a", "k", "<default>");
    ExpectValue("b", "k", "3");
    ExpectValue("b", "nokeyline", "<default>");
    ExpectValue("b", ";comment", "4");
    ExpectValue("b", "", "emptykey");
}

TEST_F(Profile, AcceptsEveryLineEnd) {
    WriteBytes(file_, "[s]\nlf=1\rcr=2\r\ncrlf=3\r\nlast=4");
    ExpectValue("s", "lf", "1");
    ExpectValue("s", "cr", "2");
    ExpectValue("s", "crlf", "3");
    ExpectValue("s", "last", "4");
}

TEST_F(Profile, CutsValuesAndDefaultsToTheBuffer) {
    WriteBytes(file_, "[s]\r\nk=abcdef\r\nq=\"quoted\"\r\n");
    ExpectRead("s", "k", "", 7, "abcdef");
    ExpectRead("s", "k", "", 6, "abcde");
    ExpectRead("s", "k", "", 4, "abc");
    ExpectRead("s", "k", "", 1, "");
    ExpectRead("s", "q", "", 4, "quo");
    ExpectRead("s", "missing", "defaultvalue", 5, "defa");

    char untouched[4] = {kSentinel, kSentinel, kSentinel, kSentinel};
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", untouched, 0, file_.c_str()), 0u);
    EXPECT_EQ(untouched[0], kSentinel);
}

TEST_F(Profile, MissingEntriesGiveTheDefaultWithoutTrailingSpaces) {
    WriteBytes(file_, "[s]\r\nempty=\r\n");
    ExpectRead("s", "empty", "default", 20, "");
    ExpectRead("s", "missing", "  dv  ", 20, "  dv");
    ExpectRead("none", "missing", "dv", 20, "dv");
    ExpectRead("s", "missing", nullptr, 20, "");
    ExpectRead("s", "", "default", 20, "default");
    ExpectRead("", "k", "default", 20, "default");

    std::string directory = file_.substr(0, file_.rfind('\\'));
    char buffer[20];
    SetLastError(0xDEADBEEF);
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "d ", buffer, sizeof(buffer),
                                       (directory + "\\none.ini").c_str()),
              1u);
    EXPECT_STREQ(buffer, "d");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "d", buffer, sizeof(buffer),
                                       (directory + "\\nodir\\none.ini").c_str()),
              1u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(Profile, ListsSectionNames) {
    WriteBytes(file_, "top=1\r\n[aa]\r\n[bb]\r\n[]\r\n[cc]\r\nx=1\r\n");
    ExpectRead(nullptr, nullptr, nullptr, 20, std::string_view("aa\0bb\0cc\0", 9));
    ExpectRead(nullptr, nullptr, "ignored", 20, std::string_view("aa\0bb\0cc\0", 9));
    ExpectRead(nullptr, "ignored", nullptr, 20, std::string_view("aa\0bb\0cc\0", 9));
    ExpectCutList(nullptr, 10, std::string_view("aa\0bb\0cc", 8));
    ExpectCutList(nullptr, 9, std::string_view("aa\0bb\0c", 7));
    ExpectCutList(nullptr, 6, std::string_view("aa\0b", 4));
    ExpectCutList(nullptr, 5, std::string_view("aa\0", 3));
    ExpectCutList(nullptr, 3, "a");
    ExpectCutList(nullptr, 2, "");
    ExpectRead(nullptr, nullptr, nullptr, 1, "");
}

TEST_F(Profile, ListsKeyNamesWithoutComments) {
    WriteBytes(file_, "[s]\r\nx=1\r\n;comment=2\r\nnokeyline\r\ny=2\r\nzzz=3\r\n[empty]\r\n");
    ExpectRead("S", nullptr, nullptr, 20, std::string_view("x\0y\0zzz\0", 8));
    ExpectRead("s", nullptr, nullptr, 10, std::string_view("x\0y\0zzz\0", 8));
    ExpectCutList("s", 9, std::string_view("x\0y\0zzz", 7));
    ExpectCutList("s", 6, std::string_view("x\0y\0", 4));
    // A section without keys, or none at all, gives the default as it stands.
    ExpectRead("empty", nullptr, "def ", 20, "def ");
    ExpectRead("none", nullptr, "def ", 20, "def ");
    ExpectRead("none", nullptr, nullptr, 20, "");
}

TEST_F(Profile, ListingsOfAMissingFileAreEmpty) {
    ExpectRead(nullptr, nullptr, "def", 20, "");
    ExpectRead("s", nullptr, nullptr, 20, "");
}

TEST_F(Profile, WritesCreateFileSectionAndKey) {
    EXPECT_TRUE(Write("S", "k", "v"));
    EXPECT_EQ(ReadBytes(file_), "[S]\r\nk=v\r\n");
    EXPECT_TRUE(Write("s", "k2", "v2"));
    EXPECT_TRUE(Write("T", "a", "b"));
    EXPECT_EQ(ReadBytes(file_), "[S]\r\nk=v\r\nk2=v2\r\n[T]\r\na=b\r\n");
    EXPECT_TRUE(Write(" s ", " K ", "changed"));
    EXPECT_TRUE(Write("s", "k2", ""));
    EXPECT_EQ(ReadBytes(file_), "[S]\r\nk=changed\r\nk2=\r\n[T]\r\na=b\r\n");
    ExpectRead("s", "k2", "default", 20, "");
}

TEST_F(Profile, WritesChangeOnlyTheirLine) {
    WriteBytes(file_, "; head comment\r\n[s]\r\n; c1\r\nk=1\r\nnokey\r\n[t]\r\nz=2\r\n");
    EXPECT_TRUE(Write("s", "k", "2"));
    EXPECT_EQ(ReadBytes(file_), "; head comment\r\n[s]\r\n; c1\r\nk=2\r\nnokey\r\n[t]\r\nz=2\r\n");
    EXPECT_TRUE(Write("s", "new", "n"));
    EXPECT_EQ(ReadBytes(file_),
              "; head comment\r\n[s]\r\n; c1\r\nk=2\r\nnokey\r\nnew=n\r\n[t]\r\nz=2\r\n");
}

TEST_F(Profile, WritesEndAnUnendedLastLine) {
    WriteBytes(file_, "[s]\r\nk=1");
    EXPECT_TRUE(Write("s", "n", "2"));
    EXPECT_EQ(ReadBytes(file_), "[s]\r\nk=1\r\nn=2\r\n");
}

TEST_F(Profile, NullValueRemovesKeyAndNullKeyRemovesSection) {
    WriteBytes(file_, "[s]\r\nk=1\r\nm=2\r\n[t]\r\nz=2\r\n");
    EXPECT_TRUE(Write("S", "K", nullptr));
    EXPECT_EQ(ReadBytes(file_), "[s]\r\nm=2\r\n[t]\r\nz=2\r\n");
    EXPECT_TRUE(Write("s", nullptr, nullptr));
    EXPECT_EQ(ReadBytes(file_), "[t]\r\nz=2\r\n");
    EXPECT_TRUE(Write("missing", nullptr, nullptr));
    EXPECT_TRUE(Write("missing", "k", nullptr));
    EXPECT_EQ(ReadBytes(file_), "[t]\r\nz=2\r\n");
    // All null flushes the cache, and Windows returns FALSE for that.
    EXPECT_FALSE(Write(nullptr, nullptr, nullptr));
    EXPECT_EQ(ReadBytes(file_), "[t]\r\nz=2\r\n");
}

TEST_F(Profile, WriteIntoAMissingDirectoryFails) {
    std::string name = file_.substr(0, file_.rfind('\\')) + "\\nodir\\x.ini";
    SetLastError(0xDEADBEEF);
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "v", name.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(Profile, NameWithoutDirectoryIsInTheWindowsDirectory) {
    char windows[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    std::string inWindows = std::string(windows) + "\\conformance_profile.ini";
    DeleteFileA(inWindows.c_str());
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "v", "conformance_profile.ini"));
    EXPECT_EQ(ReadBytes(inWindows), "[s]\r\nk=v\r\n");
    char buffer[8];
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", buffer, 8, "conformance_profile.ini"), 1u);
    DeleteFileA(inWindows.c_str());
}

TEST_F(Profile, ReadsIntegers) {
    WriteBytes(file_,
               "[i]\r\na=  12abc\r\nb=-5\r\nc=0x10\r\nd=\r\ne=99999999999\r\nf=+7\r\ng=abc\r\n"
               "h=-0x10\r\nj=0X1f\r\nk=4294967295\r\n");
    auto read = [&](LPCSTR key) {
        return static_cast<int>(GetPrivateProfileIntA("i", key, 42, file_.c_str()));
    };
    EXPECT_EQ(read("a"), 12);
    EXPECT_EQ(read("b"), -5);
    EXPECT_EQ(read("c"), 16);
    EXPECT_EQ(read("d"), 42);
    EXPECT_EQ(read("e"), static_cast<int>(99999999999LL & 0xFFFFFFFF));
    EXPECT_EQ(read("f"), 7);
    EXPECT_EQ(read("g"), 0);
    EXPECT_EQ(read("h"), -16);
    EXPECT_EQ(read("j"), 0);
    EXPECT_EQ(read("k"), -1);
    EXPECT_EQ(read("missing"), 42);
}

// A profile file with a byte-order mark is Unicode: read converted to the
// ANSI code page, written back in its own encoding.
namespace unicode_files {

// The text as UTF-16 code units, each stored in the given byte order.
std::string Utf16Bytes(std::u16string_view text, bool bigEndian) {
    std::string bytes;
    for (char16_t unit : text) {
        char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// A character the machine's code page has, as UTF-16 and UTF-8 and in the code page.
struct TCharacter {
    std::u16string utf16;
    std::string utf8, ansi;
};
TCharacter CharacterOfTheCodePage() {
    if (GetACP() == 932) return {u"\u30A2", "\xE3\x82\xA2", "\x83\x41"}; // katakana A
    return {u"\u00E9", "\xC3\xA9", "\xE9"};                              // e acute
}

} // namespace unicode_files

TEST_F(Profile, ReadsFilesWithAByteOrderMarkAsUnicode) {
    using namespace unicode_files;
    const TCharacter c = CharacterOfTheCodePage();
    const std::u16string text = u"[Startup]\r\nAppName=" + c.utf16 + u" 2\r\nOther=\U0001F600x\r\n";
    for (bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "UTF-16 big-endian" : "UTF-16 little-endian");
        WriteBytes(file_, Utf16Bytes(u"\uFEFF" + text, bigEndian));
        ExpectValue("Startup", "AppName", c.ansi + " 2");
        // A character the code page lacks becomes "?" once for each code unit.
        ExpectValue("startup", "other", "??x");
        ExpectCutList(nullptr, 9, "Startup");
    }
    WriteBytes(file_, "\xEF\xBB\xBF[Startup]\r\nAppName=" + c.utf8 + " 2\r\nBad=\xFF\xFEz\r\n");
    ExpectValue("Startup", "AppName", c.ansi + " 2");
    ExpectValue("Startup", "Bad", "??z");
    // Without a mark, UTF-16 is bytes like any others: no such section.
    WriteBytes(file_, Utf16Bytes(text, false));
    ExpectValue("Startup", "AppName", "<default>");
}

TEST_F(Profile, WritesKeepTheEncodingOfTheFile) {
    using namespace unicode_files;
    const TCharacter c = CharacterOfTheCodePage();
    for (bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "UTF-16 big-endian" : "UTF-16 little-endian");
        WriteBytes(file_, Utf16Bytes(u"\uFEFF[S]\r\nA=x\r\n", bigEndian));
        EXPECT_TRUE(Write("S", "N", ("v" + c.ansi).c_str()));
        EXPECT_EQ(ReadBytes(file_),
                  Utf16Bytes(u"\uFEFF[S]\r\nA=x\r\nN=v" + c.utf16 + u"\r\n", bigEndian));
        ExpectValue("S", "N", "v" + c.ansi);
        EXPECT_TRUE(Write("S", nullptr, nullptr));
        EXPECT_EQ(ReadBytes(file_), Utf16Bytes(u"\uFEFF", bigEndian));
    }
    WriteBytes(file_, "\xEF\xBB\xBF[S]\r\nA=x\r\n");
    EXPECT_TRUE(Write("S", "N", ("v" + c.ansi).c_str()));
    EXPECT_EQ(ReadBytes(file_), "\xEF\xBB\xBF[S]\r\nA=x\r\nN=v" + c.utf8 + "\r\n");
}

TEST_F(Profile, MalformedFilesNeverBreakTheReader) {
    // Deterministic noise with brackets, equals signs, zeros and line ends.
    const char alphabet[] = "[]=;\"' \t\r\nab\0\xff\x83\x5c";
    uint32_t state = 12345;
    for (int round = 0; round < 20; ++round) {
        std::string bytes;
        for (int i = 0; i < 300; ++i) {
            state = state * 1103515245u + 12345u;
            bytes += alphabet[(state >> 16) % (sizeof(alphabet) - 1)];
        }
        WriteBytes(file_, bytes);
        std::vector<char> buffer(64 + 8, kSentinel);
        for (LPCSTR section : {static_cast<LPCSTR>(nullptr), "", "a", "ab"}) {
            for (LPCSTR key : {static_cast<LPCSTR>(nullptr), "", "a", "b"}) {
                DWORD result =
                    GetPrivateProfileStringA(section, key, "d", buffer.data(), 64, file_.c_str());
                EXPECT_LE(result, 63u);
                for (size_t i = 64; i < buffer.size(); ++i)
                    ASSERT_EQ(buffer[i], kSentinel);
            }
        }
        EXPECT_TRUE(Write("a", "b", "c"));
        ExpectValue("a", "b", "c");
    }
}

} // namespace
