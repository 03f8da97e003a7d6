// The INI file object over the host's profile functions.
#include "platform/win32.h"
#include "runtime/exceptions.h"
#include "runtime/resstrings.h"
#include "system/inifile.h"
#include "system/stringlist.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

// A string list that counts the changes it announces, to check that each
// listing makes its changes inside one update bracket.
class CountingList : public TStringList {
public:
    int brackets = 0;
    int changesOutsideBrackets = 0;
    void Insert(int index, const std::string& line) override {
        if (UpdateCount() == 0) ++changesOutsideBrackets;
        TStringList::Insert(index, line);
    }
    void Clear() override {
        if (UpdateCount() == 0) ++changesOutsideBrackets;
        TStringList::Clear();
    }

protected:
    void SetUpdateState(bool updating) override {
        if (updating) ++brackets;
        TStringList::SetUpdateState(updating);
    }
};

std::vector<std::string> Lines(const TStrings& list) {
    std::vector<std::string> lines;
    for (int i = 0; i < list.Count(); ++i)
        lines.push_back(list.Get(i));
    return lines;
}

class IniFile : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDirectoryA("C:\\ini", nullptr);
        DeleteFileA(name_.c_str());
    }

    void WriteFile(const std::string& bytes) {
        ASSERT_TRUE(WritePrivateProfileStringA("seed", "k", "v", name_.c_str()));
        HANDLE file = CreateFileA(name_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD done = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
        CloseHandle(file);
    }

    std::string FileBytes() {
        HANDLE file = CreateFileA(name_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return "<missing>";
        std::string bytes(65536, '\0');
        DWORD done = 0;
        ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
        CloseHandle(file);
        bytes.resize(done);
        return bytes;
    }

    std::string name_ = "C:\\ini\\test.ini";
    TOwned<TIniFile> ini_{new TIniFile(name_)};
};

TEST_F(IniFile, ConstructionAndDestructionTouchNoFile) {
    TOwned<TIniFile> ini(new TIniFile("C:\\ini\\Missing Name.ini"));
    EXPECT_EQ(ini->FileName(), "C:\\ini\\Missing Name.ini");
    EXPECT_EQ(ini->LoadText("Startup", "AppName", "NoName"), "NoName");
    EXPECT_EQ(GetFileAttributesA("C:\\ini\\Missing Name.ini"), INVALID_FILE_ATTRIBUTES);

    // Destruction after writes performs no write of its own: a file removed
    // behind the object's back stays removed.
    ini_->StoreText("s", "k", "v");
    ASSERT_TRUE(DeleteFileA(name_.c_str()));
    ini_.reset();
    EXPECT_EQ(GetFileAttributesA(name_.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(IniFile, LoadTextValuesAndDefaults) {
    WriteFile("[Startup]\r\nAppName=\r\nName=noname\r\nLong=" + std::string(3000, 'x') + "\r\n");
    EXPECT_EQ(ini_->LoadText("Startup", "AppName", "NoName"), "");
    EXPECT_EQ(ini_->LoadText("Startup", "Name", "NoName"), "noname");
    EXPECT_EQ(ini_->LoadText("Startup", "", "NoName"), "NoName");
    EXPECT_EQ(ini_->LoadText("", "AppName", "NoName"), "NoName");
    EXPECT_EQ(ini_->LoadText("Startup", "Missing", "NoName"), "NoName");
    EXPECT_EQ(ini_->LoadText("Startup", "Long", ""), std::string(2047, 'x'));
}

TEST_F(IniFile, LoadNumberRules) {
    const std::pair<const char*, int32_t> cases[] = {
        {"0x1A", 26},       {"0X1A", 26},
        {"$1A", 26},        {"x1A", 26},
        {"\"26 \"", -7},    {"-0x1A", -7},
        {"0x", -7},         {"", -7},
        {"2147483648", -7}, {"-2147483648", INT32_MIN},
        {"$FFFFFFFF", -1},  {"$123456789", -7},
        {"  42", 42},       {"abc", -7},
    };
    std::string file = "[n]\r\n";
    for (size_t i = 0; i < std::size(cases); ++i)
        file += "k" + std::to_string(i) + "=" + cases[i].first + "\r\n";
    WriteFile(file);
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(ini_->LoadNumber("n", "k" + std::to_string(i), -7), cases[i].second)
            << "'" << cases[i].first << "'";
    EXPECT_EQ(ini_->LoadNumber("n", "missing", 5), 5);
    ini_->StoreNumber("n", "stored", -12);
    EXPECT_EQ(ini_->LoadText("n", "stored", ""), "-12");
}

TEST_F(IniFile, FlagsAreNumbers) {
    WriteFile("[f]\r\nword=true\r\ntwo=2\r\nzero=0\r\n");
    EXPECT_TRUE(ini_->LoadFlag("f", "word", true));
    EXPECT_FALSE(ini_->LoadFlag("f", "word", false));
    EXPECT_TRUE(ini_->LoadFlag("f", "two", false));
    EXPECT_FALSE(ini_->LoadFlag("f", "zero", true));
    ini_->StoreFlag("f", "on", true);
    ini_->StoreFlag("f", "off", false);
    EXPECT_EQ(FileBytes(), "[f]\r\nword=true\r\ntwo=2\r\nzero=0\r\non=1\r\noff=0\r\n");
}

TEST_F(IniFile, StoreTextOfAnEmptyValueKeepsTheKey) {
    ini_->StoreText("s", "k", "v");
    ini_->StoreText("s", "k", "");
    EXPECT_EQ(FileBytes(), "[s]\r\nk=\r\n");
    EXPECT_EQ(ini_->LoadText("s", "k", "default"), "");
    ini_->RemoveKey("s", "k");
    EXPECT_EQ(ini_->LoadText("s", "k", "default"), "default");
}

TEST_F(IniFile, DatesTimesAndRealsRoundTrip) {
    TDateTime date = 0, time = 0;
    ASSERT_TRUE(TryEncodeDate(2024, 3, 7, date));
    ASSERT_TRUE(TryEncodeTime(15, 4, 5, 0, time));
    ini_->StoreDate("d", "date", date);
    ini_->StoreTime("d", "time", time);
    ini_->StoreDateTime("d", "both", date + time);
    ini_->StoreReal("d", "real", -2.5e-3);
    EXPECT_EQ(ini_->LoadDate("d", "date", 1), date);
    EXPECT_NEAR(ini_->LoadTime("d", "time", 1), time, 1e-9);
    EXPECT_NEAR(ini_->LoadDateTime("d", "both", 1), date + time, 1e-9);
    EXPECT_EQ(ini_->LoadReal("d", "real", 1), -2.5e-3);
    // Unreadable or missing values give the default without raising.
    ini_->StoreText("d", "bad", "not a date");
    EXPECT_EQ(ini_->LoadDate("d", "bad", 42), 42);
    EXPECT_EQ(ini_->LoadTime("d", "bad", 42), 42);
    EXPECT_EQ(ini_->LoadDateTime("d", "bad", 42), 42);
    EXPECT_EQ(ini_->LoadReal("d", "bad", 4.5), 4.5);
    EXPECT_EQ(ini_->LoadDate("d", "missing", 43), 43);
}

TEST_F(IniFile, ListingsClearTheListInsideOneBracket) {
    CountingList list;
    list.Add("stale");
    list.changesOutsideBrackets = 0;
    ini_->ListSections(list); // missing file
    EXPECT_TRUE(Lines(list).empty());

    WriteFile("[one]\r\na=1\r\nb=2\r\n[two]\r\n[three]\r\nc=3\r\n");
    ini_->ListSections(list);
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"one", "two", "three"}));
    ini_->ListKeys("ONE", list);
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "b"}));
    ini_->ListKeys("two", list);
    EXPECT_TRUE(Lines(list).empty());
    EXPECT_EQ(list.brackets, 4);
    EXPECT_EQ(list.changesOutsideBrackets, 0);
    EXPECT_EQ(list.UpdateCount(), 0);
}

TEST_F(IniFile, ListingsCutByTheBufferStayInsideIt) {
    // 21000 bytes of section names of 14 bytes each: more than the listing buffer holds.
    std::string file;
    for (int i = 0; i < 1500; ++i)
        file += "[section" + std::to_string(100000 + i) + "]\r\n";
    WriteFile(file);
    TOwned<TStringList> list(new TStringList());
    ini_->ListSections(*list);
    ASSERT_GE(list->Count(), 16384 / 14 - 1);
    ASSERT_LE(list->Count(), 16384 / 14 + 1);
    for (int i = 0; i + 1 < list->Count(); ++i)
        EXPECT_EQ(list->Get(i), "section" + std::to_string(100000 + i));
    std::string last = list->Get(list->Count() - 1);
    EXPECT_EQ(("section" + std::to_string(100000 + list->Count() - 1)).rfind(last, 0), 0u) << last;
}

TEST_F(IniFile, ListEntriesSetsAndRemovesValues) {
    WriteFile("[s]\r\na=1\r\nempty=\r\nb= two \r\n");
    CountingList list;
    list.Add("keep=me");
    list.Add("EMPTY=old");
    list.Add("a=old");
    list.changesOutsideBrackets = 0;
    ini_->ListEntries("s", list);
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"keep=me", "a=1", "b=two"}));
    EXPECT_EQ(list.changesOutsideBrackets, 0);
    EXPECT_EQ(list.brackets, 1);
}

TEST_F(IniFile, FailedWritesRaiseTheWriteMessage) {
    const std::string name = "C:\\ini\\no such dir\\x.ini";
    TOwned<TIniFile> ini(new TIniFile(name));
    const std::string expected = FormatResString(SIniFileWriteError, {name});
    ASSERT_NE(expected.find(name), std::string::npos);
    for (int operation = 0; operation < 2; ++operation) {
        try {
            if (operation == 0)
                ini->StoreText("s", "k", "v");
            else
                ini->RemoveSection("s");
            ADD_FAILURE() << "no exception from operation " << operation;
        } catch (const Exception& error) {
            EXPECT_STREQ(error.ClassName(), "Exception");
            EXPECT_EQ(error.Message(), expected);
        }
    }
    // Removing a key and flushing report nothing.
    EXPECT_NO_THROW(ini->RemoveKey("s", "k"));
    EXPECT_NO_THROW(ini->FlushToDisk());
}

TEST_F(IniFile, RemoveSectionTakesItsEntries) {
    WriteFile("[a]\r\nx=1\r\n[b]\r\ny=2\r\n");
    ini_->RemoveSection("A");
    EXPECT_EQ(FileBytes(), "[b]\r\ny=2\r\n");
    EXPECT_NO_THROW(ini_->RemoveSection("missing"));
}

} // namespace
