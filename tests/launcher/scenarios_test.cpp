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
void PrintTo(const Road& road, std::ostream* out) { *out << road.locale; }

class NormalRoad : public ::testing::TestWithParam<Road> {};

TEST_P(NormalRoad, RemovesTheUserKeyStartsTheLanguagesSetupAndEndsUnseen) {
    const Road& road = GetParam();
    ReadyScenario scenario;
    RunOutcome outcome = scenario.Run(road.locale);

    ExpectSilentEnd(scenario, outcome);
    ExpectSetupStarted(scenario, road.command);
    EXPECT_EQ(scenario.LauncherEvents("process_start").size(), 1u);  // no uninstaller
    EXPECT_EQ(Deletions(scenario),
              DefaultValueDeleted +
                  "registry_delete_key \"Software\\\\QUORVANTIX\\\\SOLVENTRA\\\\Data\" null 0\n");
    EXPECT_FALSE(scenario.KeyExists(UserDataKey));
    EXPECT_TRUE(scenario.KeyExists("HKCU\\Software\\QUORVANTIX\\SOLVENTRA"));  // parents stay
    EXPECT_EQ(scenario.StandInSetupRecord(road.language),
              "show=1\nargs=\ncwd=" + scenario.medium + "\n");
    EXPECT_EQ(scenario.StandInSetupRecord(road.language == ilJapanese ? ilEnglish : ilJapanese), "");
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

struct BoxPath {
    const char* name;
    LCID locale;
    bool uninstallerRuns;  // false: an empty "UninstallString"
    const char* text;      // UTF-8; shown in code page 932 when Japanese
};
void PrintTo(const BoxPath& path, std::ostream* out) { *out << path.name; }

class InformationBox : public ::testing::TestWithParam<BoxPath> {};

TEST_P(InformationBox, IsShownAndTheLaunchStopsWithStatusZero) {
    const BoxPath& path = GetParam();
    ReadyScenario scenario;
    if (path.uninstallerRuns)
        scenario.InstallEarlierCopy(Product, false);
    else
        scenario.Import(EarlierCopyLines(Product, RegString("")));
    RunOutcome outcome = scenario.Run(path.locale);

    EXPECT_EQ(outcome.status, 0) << outcome.output;
    auto boxes = scenario.LauncherEvents("message_box");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Bytes("text"), path.locale == 1041 ? ShiftJis(path.text) : path.text);
    EXPECT_EQ(boxes[0].Bytes("caption"), "Information");
    EXPECT_EQ(boxes[0].Number("flags"), 0x40);
    EXPECT_EQ(boxes[0].Bytes("owner_class"), "TApplication");
    EXPECT_TRUE(scenario.LauncherEvents("window_show").empty());
    EXPECT_EQ(scenario.UninstallerRecord(), path.uninstallerRuns ? "/SILENT\n" : "");
    ExpectNothingStarted(scenario);
    EXPECT_EQ(Deletions(scenario), "");
    EXPECT_TRUE(scenario.KeyExists(UserDataKey));
    EXPECT_TRUE(scenario.KeyExists(ProductKey(Product)));
}

INSTANTIATE_TEST_SUITE_P(
    , InformationBox,
    ::testing::Values(
        BoxPath{"JapaneseCopyLeft", 1041, true,
                "前回バージョンのソフトウェアをアンインストールしてから、\n再度インストールしてください。"},
        BoxPath{"EnglishCopyLeft", 1033, true, "Please uninstall old software."},
        BoxPath{"JapaneseEmptyCommand", 1041, false, "ソフトウェアのアンインストールに失敗しました。"},
        BoxPath{"EnglishEmptyCommand", 1033, false, "This software failed to uninstall."}),
    [](const ::testing::TestParamInfo<BoxPath>& info) { return std::string(info.param.name); });

TEST(LauncherScenario, AnUninstallCommandTooLongForTheBufferIsRefusedNotCut) {
    ReadyScenario scenario;
    // Cut at 1023 bytes, this command would start "C:\Program" instead.
    const std::string command = "C:\\Program Files\\QUORVANTIX\\SOLVENTRA\\unins000.exe /LOG=" +
                                std::string(1024, 'x');
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
    scenario.WriteAppName(ilJapanese, Product);  // the other language's file does not count
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

TEST(LauncherScenario, WithoutTheSetupProgramNothingIsStartedOrShown) {
    Scenario scenario;
    scenario.WriteAppName(ilEnglish, Product);
    scenario.Import(UserDataLines);
    RunOutcome outcome = scenario.Run(1033);

    ExpectSilentEnd(scenario, outcome);
    auto starts = scenario.LauncherEvents("process_start");
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0].Raw("api"), "\"WinExec\"");
    EXPECT_EQ(starts[0].Number("result"), ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(scenario.KeyExists(UserDataKey));
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
        const char* defaultValueResult;  // the result of deleting the default value
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
    EXPECT_EQ(starts.back().Bytes("image"),
              WindowsPath(scenario.machine, scenario.root) + "\\\x83\x5C\\Inst_Japanese\\Setup.exe");
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

TEST(LauncherScenario, AProgramPathOfTheFullBufferIsTakenWhole) {
    // The medium lies so deep that the program's own path is 260 bytes, as
    // much as the 261-byte buffer holds with its terminating zero.
    Scenario scenario;
    const std::string programName = "\\Setup.exe";
    std::string medium = scenario.root;
    while (WindowsPath(scenario.machine, medium).size() + programName.size() < 260) {
        size_t missing = 260 - WindowsPath(scenario.machine, medium).size() - programName.size();
        // A separator and at most 100 bytes of name per level, leaving at
        // least 2 bytes for the last level.
        medium += "/" + std::string(missing > 101 ? std::min<size_t>(100, missing - 3) : missing - 1, 'd');
    }
    ASSERT_EQ(WindowsPath(scenario.machine, medium).size() + programName.size(), 260u);
    std::filesystem::create_directories(medium);
    std::filesystem::copy_file(scenario.medium + "/Setup.exe", medium + "/Setup.exe");
    scenario.medium = medium;
    RunOutcome outcome = scenario.Run(1033);

    EXPECT_EQ(outcome.status, 0) << outcome.output;
    auto finds = scenario.LauncherEvents("file_find");
    ASSERT_FALSE(finds.empty());
    EXPECT_EQ(finds[0].Bytes("pattern"), WindowsPath(scenario.machine, medium) + "\\Inst_English\\SETUP.INI");
}

TEST(LauncherScenario, FromAnotherDirectoryTheConfigurationIsReadBesideTheProgram) {
    ReadyScenario scenario;
    const std::string elsewhere = scenario.root;  // holds no Inst_English
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

}  // namespace
