// Whole-program scenarios: each runs the host Setup.exe from a fresh medium on
// a fresh machine and checks what it did through the journal, the registry
// and the stand-ins it started.
#include "scenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace launcher_test;

namespace {

const std::string Product = "SOLVENTRA 2";

std::string LanguageFolder(TInstallLanguage language) {
    return language == ilJapanese ? "Inst_Japanese" : "Inst_English";
}

// The per-user key as earlier versions left it: a default value and a named one.
const std::string UserDataLines =
    std::string("[") + UserDataKey + "]\r\n@=\"cache\"\r\n\"Window\"=dword:00000001\r\n\r\n";

// A medium with both languages' configuration and setup programs, and a
// machine with the per-user key.
struct ReadyScenario : Scenario {
    explicit ReadyScenario(const std::string& mediumName = "medium") : Scenario(mediumName) {
        for (TInstallLanguage language : {ilJapanese, ilEnglish}) {
            WriteAppName(language, Product);
            AddStandInSetup(language);
        }
        Import(UserDataLines);
    }
};

// The launcher's registry deletions, as "event value result" lines.
std::string Deletions(const Scenario& scenario) {
    std::string lines;
    for (const char* event : {"registry_delete_value", "registry_delete_key"})
        for (const JournalLine& line : scenario.LauncherEvents(event))
            lines += std::string(event) + " " + line.Raw("key") + " " + line.Raw("value") + " " +
                     std::to_string(line.Number("result")) + "\n";
    return lines;
}

// The journal shows no window and no box of the launcher, and its exit.
void ExpectSilentEnd(const Scenario& scenario, const RunOutcome& outcome) {
    EXPECT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_TRUE(scenario.LauncherEvents("window_show").empty());
    EXPECT_TRUE(scenario.LauncherEvents("message_box").empty());
    auto exits = scenario.LauncherEvents("exit");
    ASSERT_EQ(exits.size(), 1u);
    EXPECT_EQ(exits[0].Number("status"), 0);
}

// The launcher started exactly this setup command with WinExec and SW_SHOWNORMAL.
void ExpectSetupStarted(const Scenario& scenario, const char* command) {
    auto starts = scenario.LauncherEvents("process_start");
    ASSERT_FALSE(starts.empty());
    const JournalLine& start = starts.back();
    EXPECT_EQ(start.Raw("api"), "\"WinExec\"");
    EXPECT_EQ(start.Bytes("command_line"), command);
    EXPECT_EQ(start.Number("show"), 1);
    EXPECT_EQ(start.Number("result"), 33);
}

void ExpectNothingStarted(const Scenario& scenario) {
    for (const JournalLine& start : scenario.LauncherEvents("process_start"))
        EXPECT_NE(start.Raw("api"), "\"WinExec\"") << start.text;
    EXPECT_EQ(scenario.StandInSetupRecord(ilEnglish), "");
    EXPECT_EQ(scenario.StandInSetupRecord(ilJapanese), "");
}

const std::string DefaultValueDeleted = std::string("registry_delete_value \"") +
                                        "Software\\\\QUORVANTIX\\\\SOLVENTRA\\\\Data\" null 0\n";

// --- The normal road ------------------------------------------------------------------

struct Road {
    LCID locale;
    TInstallLanguage language;
    const char* command;
};
void PrintTo(const Road& road, std::ostream* out) {
    *out << road.locale;
}

class NormalRoad : public ::testing::TestWithParam<Road> {};

TEST_P(NormalRoad, RemovesTheUserKeyStartsTheLanguagesSetupAndEndsUnseen) {
    const Road& road = GetParam();
    ReadyScenario scenario;
    RunOutcome outcome = scenario.Run(road.locale);

    ExpectSilentEnd(scenario, outcome);
    ExpectSetupStarted(scenario, road.command);
    EXPECT_EQ(scenario.LauncherEvents("process_start").size(), 1u); // no uninstaller
    EXPECT_EQ(Deletions(scenario),
              DefaultValueDeleted +
                  "registry_delete_key \"Software\\\\QUORVANTIX\\\\SOLVENTRA\\\\Data\" null 0\n");
    EXPECT_FALSE(scenario.KeyExists(UserDataKey));
    EXPECT_TRUE(scenario.KeyExists("HKCU\\Software\\QUORVANTIX\\SOLVENTRA")); // parents stay
    EXPECT_EQ(scenario.StandInSetupRecord(road.language),
              "show=1\nargs=\ncwd=" + scenario.medium + "\n");
    EXPECT_EQ(scenario.StandInSetupRecord(road.language == ilJapanese ? ilEnglish : ilJapanese),
              "");
}

INSTANTIATE_TEST_SUITE_P(, NormalRoad,
                         ::testing::Values(Road{1041, ilJapanese, "Inst_Japanese\\Setup.exe"},
                                           Road{1033, ilEnglish, "Inst_English\\Setup.exe"},
                                           Road{0x0C0A, ilEnglish, "Inst_English\\Setup.exe"},
                                           Road{0x10411, ilEnglish, "Inst_English\\Setup.exe"}));

TEST(LauncherScenario, AnEarlierCopyIsRemovedByItsUninstallerFirst) {
    ReadyScenario scenario;
    scenario.InstallEarlierCopy(Product, true);
    RunOutcome outcome = scenario.Run(1033);

    ExpectSilentEnd(scenario, outcome);
    auto starts = scenario.LauncherEvents("process_start");
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0].Raw("api"), "\"CreateProcessA\"");
    EXPECT_EQ(starts[0].Bytes("command_line"), scenario.UninstallCommand());
    EXPECT_EQ(scenario.UninstallerRecord(), "/SILENT\n");
    ExpectSetupStarted(scenario, "Inst_English\\Setup.exe");
    EXPECT_FALSE(scenario.KeyExists(ProductKey(Product)));
    EXPECT_FALSE(scenario.KeyExists(UninstallEntry(Product)));
    EXPECT_FALSE(scenario.KeyExists(UserDataKey));
    EXPECT_NE(scenario.StandInSetupRecord(ilEnglish), "");
}

// --- Failure paths with an information box ----------------------------------------------

// What the machine holds of an earlier copy.
enum EarlierCopy { ecUninstallerKeepsIt, ecEmptyCommand, ecLauncherItself, ecUninstallerRemovesIt };

// A folder path longer than the ANSI file functions take (whatever the
// scenario's own directory): 3 levels of 100 bytes.
const std::string LongFolder =
    std::string(100, 'd') + "/" + std::string(100, 'd') + "/" + std::string(100, 'd');

struct BoxPath {
    const char* name;
    LCID locale;
    EarlierCopy earlierCopy;
    const char* text; // UTF-8; shown in code page 932 when Japanese
    const char* mediumName = "medium";
    unsigned codePage = 0;    // 0: the locale's
    bool setupProgram = true; // the language's setup program is on the medium
};
void PrintTo(const BoxPath& path, std::ostream* out) {
    *out << path.name;
}

class InformationBox : public ::testing::TestWithParam<BoxPath> {};

TEST_P(InformationBox, IsShownAndTheLaunchStopsWithStatusZero) {
    const BoxPath& path = GetParam();
    ReadyScenario scenario(path.mediumName);
    const TInstallLanguage language = InstallLanguageOf(path.locale);
    if (!path.setupProgram)
        std::filesystem::remove(scenario.medium + "/" + LanguageFolder(language) + "/Setup.exe");
    switch (path.earlierCopy) {
    case ecUninstallerKeepsIt:
    case ecUninstallerRemovesIt:
        scenario.InstallEarlierCopy(Product, path.earlierCopy == ecUninstallerRemovesIt);
        break;
    case ecEmptyCommand:
        scenario.Import(EarlierCopyLines(Product, RegString("")));
        break;
    case ecLauncherItself:
        // A relative name: process creation finds it in the launcher's own folder first.
        scenario.InstallEarlierCopy(Product, true);
        scenario.Import(EarlierCopyLines(Product, RegString("Setup.exe /uninstall")));
        break;
    }
    RunOutcome outcome = scenario.Run(path.locale, path.codePage);

    EXPECT_EQ(outcome.status, 0) << outcome.output;
    auto boxes = scenario.LauncherEvents("message_box");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Bytes("text"), path.locale == 1041 ? ShiftJis(path.text) : path.text);
    EXPECT_EQ(boxes[0].Bytes("caption"), "Information");
    EXPECT_EQ(boxes[0].Number("flags"), 0x40);
    EXPECT_EQ(boxes[0].Bytes("owner_class"), "TApplication");
    EXPECT_TRUE(scenario.LauncherEvents("window_show").empty());
    EXPECT_EQ(scenario.UninstallerRecord(),
              path.earlierCopy == ecUninstallerKeepsIt ? "/SILENT\n" : "");
    // Only the uninstaller that keeps the copy was started.
    size_t started = 0;
    for (const JournalLine& start : scenario.LauncherEvents("process_start"))
        started += start.Number("result") != 0;
    EXPECT_EQ(started, path.earlierCopy == ecUninstallerKeepsIt ? 1u : 0u);
    ExpectNothingStarted(scenario);
    EXPECT_EQ(Deletions(scenario), "");
    EXPECT_TRUE(scenario.KeyExists(UserDataKey));
    EXPECT_TRUE(scenario.KeyExists(ProductKey(Product)));
}

const char FolderUnusableJapanese[] =
    "このフォルダーのパスからはセットアップを実行できません。\n"
    "メディアの内容を短い英数字だけのパスのフォルダーにコピーしてから、再度実行してください。";
const char FolderUnusableEnglish[] =
    "Setup cannot be run from this folder path.\nPlease copy the contents of the medium to a "
    "folder with a short path of plain letters and numbers, and run Setup again.";
const char SetupMissingJapanese[] = "セットアッププログラムが見つからないか、起動できません。\nイン"
                                    "ストールメディアを確認してください。";
const char SetupMissingEnglish[] =
    "The setup program cannot be found or started.\nPlease check the installation medium.";

INSTANTIATE_TEST_SUITE_P(
    , InformationBox,
    ::testing::Values(
        BoxPath{"JapaneseCopyLeft", 1041, ecUninstallerKeepsIt,
                "前回バージョンのソフトウェアをアンインストールしてから、\n再度インストールしてくだ"
                "さい。"},
        BoxPath{"EnglishCopyLeft", 1033, ecUninstallerKeepsIt, "Please uninstall old software."},
        BoxPath{"JapaneseEmptyCommand", 1041, ecEmptyCommand,
                "ソフトウェアのアンインストールに失敗しました。"},
        BoxPath{"EnglishEmptyCommand", 1033, ecEmptyCommand, "This software failed to uninstall."},
        // Started, it would find the same entry and start itself again without end.
        BoxPath{"CommandStartingTheLauncher", 1033, ecLauncherItself,
                "This software failed to uninstall."},
        // Nothing is removed when nothing could be installed afterwards.
        BoxPath{"JapaneseSetupProgramMissing", 1041, ecUninstallerRemovesIt, SetupMissingJapanese,
                "medium", 0, false},
        BoxPath{"EnglishSetupProgramMissing", 1033, ecUninstallerRemovesIt, SetupMissingEnglish,
                "medium", 0, false},
        // The program path is whole, but longer than the file functions take.
        BoxPath{"JapaneseFolderTooLong", 1041, ecUninstallerRemovesIt, FolderUnusableJapanese,
                LongFolder.c_str()},
        BoxPath{"EnglishFolderTooLong", 1033, ecUninstallerRemovesIt, FolderUnusableEnglish,
                LongFolder.c_str()},
        // Japanese names on an English system: the ANSI path holds '?' for them.
        BoxPath{"FolderNotInTheCodePage", 1033, ecUninstallerRemovesIt, FolderUnusableEnglish,
                "\xE3\x83\xA1\xE3\x83\x87\xE3\x82\xA3\xE3\x82\xA2", 1252}),
    [](const ::testing::TestParamInfo<BoxPath>& info) { return std::string(info.param.name); });

TEST(LauncherScenario, AnUninstallCommandTooLongForTheBufferIsRefusedNotCut) {
    ReadyScenario scenario;
    // Cut at 1023 bytes, this command would start "C:\Program" instead.
    const std::string command =
        "C:\\Program Files\\QUORVANTIX\\SOLVENTRA\\unins000.exe /LOG=" + std::string(1024, 'x');
    scenario.InstallEarlierCopy(Product, true);
    scenario.Import(EarlierCopyLines(Product, RegString(command)));
    RunOutcome outcome = scenario.Run(1033);

    EXPECT_EQ(outcome.status, 0) << outcome.output;
    auto boxes = scenario.LauncherEvents("message_box");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Bytes("text"), "This software failed to uninstall.");
    EXPECT_TRUE(scenario.LauncherEvents("process_start").empty());
    EXPECT_EQ(scenario.UninstallerRecord(), "");
    EXPECT_TRUE(scenario.KeyExists(ProductKey(Product)));
    EXPECT_TRUE(scenario.KeyExists(UserDataKey));
}

// --- The data-type error: the form is shown ------------------------------------------------

TEST(LauncherScenario, ANonTextUninstallStringIsReportedAndTheFormShownUntilClosed) {
    ReadyScenario scenario;
    scenario.Import(EarlierCopyLines(Product, "dword:0000002a"));
    RunOutcome outcome = scenario.Run(1041);

    EXPECT_EQ(outcome.status, 0) << outcome.output;
    auto boxes = scenario.LauncherEvents("message_box");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Bytes("text"), ShiftJis("'UninstallString' のデータ型が不正です."));
    EXPECT_EQ(boxes[0].Bytes("caption"), "Setup");
    EXPECT_EQ(boxes[0].Number("flags"), 0x10);
    EXPECT_EQ(boxes[0].Bytes("owner_class"), "TApplication");
    EXPECT_TRUE(scenario.LauncherEvents("process_start").empty());
    EXPECT_EQ(Deletions(scenario), "");
    EXPECT_TRUE(scenario.KeyExists(UserDataKey));

    // The form is shown by the message loop, with a taskbar button (the
    // application window), until the host's user closes it.
    bool formShown = false, applicationShown = false;
    for (const JournalLine& shown : scenario.LauncherEvents("window_show")) {
        if (shown.Bytes("class") == "TFormMain") {
            formShown = true;
            EXPECT_EQ(shown.Bytes("caption"), "Visible false");
            EXPECT_EQ(shown.Number("x"), 192);
            EXPECT_EQ(shown.Number("y"), 107);
            EXPECT_EQ(shown.Number("width"), 190);
            EXPECT_EQ(shown.Number("height"), 129);
        }
        applicationShown |= shown.Bytes("class") == "TApplication";
    }
    EXPECT_TRUE(formShown);
    EXPECT_TRUE(applicationShown);
    bool formHidden = false;
    for (const JournalLine& hidden : scenario.LauncherEvents("window_hide"))
        formHidden |= hidden.Bytes("class") == "TFormMain";
    EXPECT_TRUE(formHidden);
    EXPECT_TRUE(scenario.LauncherEvents("deadlock").empty());
    auto exits = scenario.LauncherEvents("exit");
    ASSERT_EQ(exits.size(), 1u);
    EXPECT_EQ(exits[0].Number("status"), 0);
}

// --- Silent ends ------------------------------------------------------------------------------

TEST(LauncherScenario, WithoutTheConfigurationTheLauncherEndsBeforeTouchingTheUserKey) {
    Scenario scenario;
    scenario.AddStandInSetup(ilEnglish);
    scenario.WriteAppName(ilJapanese, Product); // the other language's file does not count
    scenario.Import(UserDataLines);
    RunOutcome outcome = scenario.Run(1033);

    ExpectSilentEnd(scenario, outcome);
    EXPECT_EQ(Deletions(scenario), "");
    ExpectNothingStarted(scenario);
    EXPECT_TRUE(scenario.KeyExists(UserDataKey));
    // The file was looked for, and no INI file object read it.
    auto finds = scenario.LauncherEvents("file_find");
    ASSERT_FALSE(finds.empty());
    EXPECT_EQ(finds[0].Bytes("pattern"),
              WindowsPath(scenario.machine, scenario.medium) + "\\Inst_English\\SETUP.INI");
    EXPECT_TRUE(scenario.LauncherEvents("profile_read").empty());
}

TEST(LauncherScenario, ASetupProgramThatDoesNotStartIsReportedWithStatusZero) {
    Scenario scenario;
    scenario.WriteAppName(ilEnglish, Product);
    WriteFile(scenario.medium + "/Inst_English/Setup.exe", "not a program\r\n");
    scenario.Import(UserDataLines);
    RunOutcome outcome = scenario.Run(1033);

    EXPECT_EQ(outcome.status, 0) << outcome.output;
    auto starts = scenario.LauncherEvents("process_start");
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].Raw("api"), "\"WinExec\"");
    EXPECT_LT(starts[0].Number("result"), 32);
    auto boxes = scenario.LauncherEvents("message_box");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Bytes("text"), SetupMissingEnglish);
    EXPECT_EQ(boxes[0].Number("flags"), 0x40);
}

// --- What the configuration names ------------------------------------------------------------

TEST(LauncherScenario, ANameOtherThanExactlyTheSentinelGoesOnWithTheLaunch) {
    // The sentinel test is exact: "noname" is a name. A name longer than the
    // profile buffer is read cut to 2047 bytes and names no registered copy.
    for (const std::string& name :
         {std::string("noname"), std::string("NONAME"), std::string(3000, 'N')}) {
        SCOPED_TRACE(name.substr(0, 8));
        ReadyScenario scenario;
        scenario.WriteAppName(ilEnglish, name);
        RunOutcome outcome = scenario.Run(1033);
        ExpectSilentEnd(scenario, outcome);
        ExpectSetupStarted(scenario, "Inst_English\\Setup.exe");
        EXPECT_EQ(
            Deletions(scenario),
            DefaultValueDeleted +
                "registry_delete_key \"Software\\\\QUORVANTIX\\\\SOLVENTRA\\\\Data\" null 0\n");
    }
}

TEST(LauncherScenario, AnEmptyNameLooksAtTheKeysThePrefixesNameThemselves) {
    // Key paths ending in the prefix's backslash: the product key is
    // SOFTWARE\QUORVANTIX itself, the uninstall entry is the Uninstall key.
    {
        ReadyScenario scenario;
        scenario.WriteAppName(ilEnglish, "");
        RunOutcome outcome = scenario.Run(1033);
        ExpectSilentEnd(scenario, outcome);
        ExpectSetupStarted(scenario, "Inst_English\\Setup.exe");
    }
    {
        ReadyScenario scenario;
        scenario.WriteAppName(ilEnglish, "");
        scenario.Import(
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORVANTIX]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall]"
            "\r\n\r\n");
        RunOutcome outcome = scenario.Run(1033);
        // Both are there: an earlier copy counts as present, and the Uninstall
        // key has no "UninstallString" of its own, so nothing can be run.
        EXPECT_EQ(outcome.status, 0) << outcome.output;
        auto boxes = scenario.LauncherEvents("message_box");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].Bytes("text"), "This software failed to uninstall.");
        ExpectNothingStarted(scenario);
    }
}

// --- The per-user key ---------------------------------------------------------------------------

TEST(LauncherScenario, WithoutTheUserKeyOnlyTheKeysDeletionIsTriedAndTheLaunchGoesOn) {
    Scenario scenario;
    scenario.WriteAppName(ilEnglish, Product);
    scenario.AddStandInSetup(ilEnglish);
    RunOutcome outcome = scenario.Run(1033);
    ExpectSilentEnd(scenario, outcome);
    EXPECT_EQ(
        Deletions(scenario),
        std::string("registry_delete_key \"Software\\\\QUORVANTIX\\\\SOLVENTRA\\\\Data\" null ") +
            std::to_string(ERROR_FILE_NOT_FOUND) + "\n");
    ExpectSetupStarted(scenario, "Inst_English\\Setup.exe");
}

TEST(LauncherScenario, TheUserKeyGoesWithItsValuesButNotWithASubkey) {
    struct Case {
        const char* name;
        std::string lines;
        bool deleted;
        const char* defaultValueResult; // the result of deleting the default value
    };
    const std::string key = std::string("[") + UserDataKey + "]\r\n";
    const Case cases[] = {
        {"default value only", key + "@=\"cache\"\r\n\r\n", true, "0"},
        {"named values only", key + "\"A\"=\"1\"\r\n\"B\"=dword:00000002\r\n\r\n", true, "2"},
        {"a subkey", key + "@=\"cache\"\r\n\"A\"=\"1\"\r\n\r\n[" + UserDataKey + "\\Sub]\r\n\r\n",
         false, "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReadyScenario scenario;
        scenario.Import(std::string("[-") + UserDataKey + "]\r\n\r\n" + c.lines);
        RunOutcome outcome = scenario.Run(1033);
        ExpectSilentEnd(scenario, outcome);
        ExpectSetupStarted(scenario, "Inst_English\\Setup.exe");
        // Only the default value is deleted one by one; the key goes whole or stays.
        auto values = scenario.LauncherEvents("registry_delete_value");
        ASSERT_EQ(values.size(), 1u);
        EXPECT_EQ(values[0].Raw("value"), "null");
        EXPECT_EQ(std::to_string(values[0].Number("result")), c.defaultValueResult);
        auto keys = scenario.LauncherEvents("registry_delete_key");
        ASSERT_EQ(keys.size(), 1u);
        EXPECT_EQ(keys[0].Number("result") == 0, c.deleted);
        EXPECT_EQ(scenario.KeyExists(UserDataKey), !c.deleted);
        if (!c.deleted) {
            std::string kept = scenario.QueryKey(UserDataKey);
            EXPECT_NE(kept.find("    A    REG_SZ    1"), std::string::npos) << kept;
            EXPECT_EQ(kept.find("(Default)"), std::string::npos) << kept;
            EXPECT_TRUE(scenario.KeyExists(std::string(UserDataKey) + "\\Sub"));
        }
    }
}

// --- Where the medium is ----------------------------------------------------------------------

TEST(LauncherScenario, AMediumWhoseShiftJisNameHasABackslashTrailByteIsFound) {
    // ソ is 0x83 0x5C in code page 932: its trail byte is the backslash's code.
    ReadyScenario scenario("\xE3\x82\xBD");
    scenario.InstallEarlierCopy(Product, true);
    RunOutcome outcome = scenario.Run(1041, 932);

    ExpectSilentEnd(scenario, outcome);
    EXPECT_EQ(scenario.UninstallerRecord(), "/SILENT\n");
    ExpectSetupStarted(scenario, "Inst_Japanese\\Setup.exe");
    auto starts = scenario.LauncherEvents("process_start");
    EXPECT_EQ(starts.back().Bytes("image"), WindowsPath(scenario.machine, scenario.root) +
                                                "\\\x83\x5C\\Inst_Japanese\\Setup.exe");
    EXPECT_NE(scenario.StandInSetupRecord(ilJapanese), "");
}

TEST(LauncherScenario, AtTheRootOfADriveOnAJapaneseSystemTheConfigurationIsFound) {
    // The medium is drive C: itself, so the program is C:\Setup.exe and its
    // directory part is "C:\".
    ReadyScenario scenario("machine/drive_c");
    scenario.InstallEarlierCopy(Product, true);
    RunOutcome outcome = scenario.Run(1041, 932);

    ExpectSilentEnd(scenario, outcome);
    EXPECT_EQ(scenario.UninstallerRecord(), "/SILENT\n");
    ExpectSetupStarted(scenario, "Inst_Japanese\\Setup.exe");
    EXPECT_EQ(scenario.LauncherEvents("process_start").back().Bytes("image"),
              "C:\\Inst_Japanese\\Setup.exe");
}

TEST(LauncherScenario, ALongProgramPathIsTakenWhole) {
    // 246 bytes: the longest ASCII path whose folder still takes
    // "Inst_English\SETUP.INI" within MAX_PATH. 300 bytes of double-byte
    // names: cut at 260 bytes, the path would name a parent folder, whose
    // configuration could be another product's; whole, it is short enough
    // in characters for the file functions.
    struct Case {
        const char* unit; // a character of the folder names (UTF-8)
        size_t unitBytes; // its size in the ANSI code page
        LCID locale;
        size_t programPathBytes;
    };
    for (const Case& c : {Case{"d", 1, 1033, 246}, Case{"\xE3\x83\xA1", 2, 1041, 300}}) {
        SCOPED_TRACE(c.programPathBytes);
        ReadyScenario scenario;
        const std::string programName = "\\Setup.exe";
        std::string medium = scenario.root;
        size_t bytes = WindowsPath(scenario.machine, medium).size();
        while (bytes + programName.size() < c.programPathBytes) {
            // A separator and a name of at most 80 characters per level, never
            // leaving a single byte for a last level.
            const size_t missing = c.programPathBytes - programName.size() - bytes;
            size_t units = std::min<size_t>(80, (missing - 1) / c.unitBytes);
            if (missing - 1 - units * c.unitBytes == 1) --units;
            std::string name;
            for (size_t i = 0; i < units; ++i)
                name += c.unit;
            if (units == 0) name.assign(missing - 1, 'd');
            medium += "/" + name;
            bytes += 1 + (units == 0 ? missing - 1 : units * c.unitBytes);
        }
        const std::string folder = ShiftJis(WindowsPath(scenario.machine, medium));
        ASSERT_EQ(folder.size() + programName.size(), c.programPathBytes);
        std::filesystem::create_directories(medium);
        for (const auto& entry : std::filesystem::directory_iterator(scenario.medium))
            std::filesystem::rename(entry.path(), medium + "/" + entry.path().filename().string());
        scenario.medium = medium;
        RunOutcome outcome = scenario.Run(c.locale, c.locale == 1041 ? 932 : 0);

        ExpectSilentEnd(scenario, outcome);
        auto finds = scenario.LauncherEvents("file_find");
        ASSERT_FALSE(finds.empty());
        const TInstallLanguage language = InstallLanguageOf(c.locale);
        EXPECT_EQ(finds[0].Bytes("pattern"),
                  folder + "\\" + LanguageFolder(language) + "\\SETUP.INI");
        EXPECT_NE(scenario.StandInSetupRecord(language), "");
    }
}

TEST(LauncherScenario, FromAnotherDirectoryTheConfigurationIsReadBesideTheProgram) {
    ReadyScenario scenario;
    const std::string elsewhere = scenario.root; // holds no Inst_English
    RunOutcome outcome = scenario.Run(1033, 0, elsewhere);

    ExpectSilentEnd(scenario, outcome);
    // The relative command goes unchanged; the system finds it in the
    // program's directory before the current one, as Windows does.
    ExpectSetupStarted(scenario, "Inst_English\\Setup.exe");
    EXPECT_EQ(scenario.LauncherEvents("process_start").back().Bytes("image"),
              WindowsPath(scenario.machine, scenario.medium) + "\\Inst_English\\Setup.exe");
    EXPECT_EQ(scenario.StandInSetupRecord(ilEnglish), "show=1\nargs=\ncwd=" + elsewhere + "\n");
    EXPECT_FALSE(scenario.KeyExists(UserDataKey));
}

} // namespace
