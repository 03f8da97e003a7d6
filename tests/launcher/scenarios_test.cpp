// Whole-program scenarios: each runs the host Setup.exe from a fresh medium on
// a fresh machine and checks what it did through the journal, the registry
// and the stand-ins it started. The roads come from the table the Wine and
// medium suites read too (tests/roads/roads.tsv); below them, the scenarios
// only the host can set up.
#include "road_table.h"
#include "scenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

using namespace launcher_test;

namespace {

// The name the earlier copy is installed under.
const std::string Product = "SOLVENTRA 2";

// The per-user key as earlier versions left it: a default value and a named one.
const std::string UserDataLines =
    std::string("[") + UserDataKey + "]\r\n@=\"cache\"\r\n\"A\"=\"1\"\r\n\r\n";

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

// The launcher started the language's setup program with WinExec and
// SW_SHOWNORMAL, as its last start.
void ExpectSetupStarted(const Scenario& scenario, TInstallLanguage language) {
    auto starts = scenario.LauncherEvents("process_start");
    ASSERT_FALSE(starts.empty());
    const JournalLine& start = starts.back();
    EXPECT_EQ(start.Raw("api"), "\"WinExec\"");
    EXPECT_EQ(start.Bytes("command_line"),
              std::string(LanguageDirectory(language)) + "\\Setup.exe");
    EXPECT_EQ(start.Number("show"), 1);
    EXPECT_EQ(start.Number("result"), 33);
}

void ExpectNothingStarted(const Scenario& scenario) {
    for (const JournalLine& start : scenario.LauncherEvents("process_start"))
        EXPECT_NE(start.Raw("api"), "\"WinExec\"") << start.text;
    EXPECT_EQ(scenario.StandInSetupRecord(ilEnglish), "");
    EXPECT_EQ(scenario.StandInSetupRecord(ilJapanese), "");
}

// --- The roads of the table -------------------------------------------------------------

LCID LocaleOf(const Road& road) {
    return static_cast<LCID>(std::stoul(road.at("locale")));
}

// The per-user key of a road's machine, as .reg lines (none: no key).
std::string UserKeyLines(const std::string& kind) {
    const std::string key = std::string("[") + UserDataKey + "]\r\n";
    if (kind == "default-only") return key + "@=\"cache\"\r\n\r\n";
    if (kind == "named-only") return key + "\"A\"=\"1\"\r\n\"B\"=dword:00000002\r\n\r\n";
    if (kind == "subkey") return UserDataLines + "[" + UserDataKey + "\\Sub]\r\n\r\n";
    return kind == "none" ? std::string() : UserDataLines;
}

// The earlier copy of a road's machine.
void InstallCopy(Scenario& scenario, const std::string& kind) {
    if (kind == "removes" || kind == "keeps")
        scenario.InstallEarlierCopy(Product, kind == "removes");
    if (kind == "empty-command") scenario.Import(EarlierCopyLines(Product, RegString("")));
    if (kind == "dword") scenario.Import(EarlierCopyLines(Product, "dword:0000002a"));
    if (kind == "launcher-itself" || kind == "long-command") {
        // A relative name: process creation finds it in the launcher's own folder first.
        std::string command = "Setup.exe /uninstall";
        if (kind == "long-command")
            command = "C:\\Program Files\\QUORVANTIX\\SOLVENTRA\\unins000.exe /LOG=" +
                      std::string(1024, 'x');
        scenario.InstallEarlierCopy(Product, true);
        scenario.Import(EarlierCopyLines(Product, RegString(command)));
    }
    if (kind == "prefix-keys")
        scenario.Import(
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\QUORVANTIX]\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall]"
            "\r\n\r\n");
}

// The launcher's deletions of the per-user key when the launch goes on: only
// the default value is deleted one by one; the key goes whole or stays.
std::string UserKeyDeletions(const std::string& kind) {
    const std::string key = "\"Software\\\\QUORVANTIX\\\\SOLVENTRA\\\\Data\" null ";
    if (kind == "none")
        return "registry_delete_key " + key + std::to_string(ERROR_FILE_NOT_FOUND) + "\n";
    const DWORD valueResult = kind == "named-only" ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
    const DWORD keyResult = kind == "subkey" ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
    return "registry_delete_value " + key + std::to_string(valueResult) + "\nregistry_delete_key " +
           key + std::to_string(keyResult) + "\n";
}

// The earlier copy's uninstaller: started and waited for (ran), started in
// vain (tried) or not started at all (none).
void ExpectUninstaller(const Scenario& scenario, const std::string& expected) {
    std::vector<JournalLine> creations;
    for (JournalLine& start : scenario.LauncherEvents("process_start"))
        if (start.Raw("api") == "\"CreateProcessA\"") creations.push_back(std::move(start));
    EXPECT_EQ(scenario.UninstallerRecord(), expected == "ran" ? scenario.UninstallCommand() : "");
    ASSERT_EQ(creations.size(), expected == "none" ? 0u : 1u);
    if (expected == "none") return;
    EXPECT_EQ(creations[0].Number("result") != 0, expected == "ran");
    if (expected == "ran") {
        EXPECT_EQ(creations[0].Bytes("command_line"), scenario.UninstallCommand());
    }
}

// The road's setup program was started from `directory`, the user key went
// as far as it can, and the copy an uninstaller removed is gone.
void ExpectSetupRoad(const Scenario& scenario, const Road& road, const std::string& directory) {
    const TInstallLanguage language = InstallLanguageOf(LocaleOf(road));
    ExpectSetupStarted(scenario, language);
    EXPECT_EQ(Deletions(scenario), UserKeyDeletions(road.at("user_key")));
    EXPECT_EQ(scenario.KeyExists(UserDataKey), road.at("user_key") == "subkey");
    if (road.at("user_key") == "subkey") {
        std::string kept = scenario.QueryKey(UserDataKey);
        EXPECT_NE(kept.find("    A    REG_SZ    1"), std::string::npos) << kept;
        EXPECT_EQ(kept.find("(Default)"), std::string::npos) << kept;
        EXPECT_TRUE(scenario.KeyExists(std::string(UserDataKey) + "\\Sub"));
    } else if (road.at("user_key") != "none") {
        EXPECT_TRUE(scenario.KeyExists("HKCU\\Software\\QUORVANTIX\\SOLVENTRA")); // parents stay
    }
    if (road.at("copy") == "removes") {
        EXPECT_FALSE(scenario.KeyExists(ProductKey(Product)));
        EXPECT_FALSE(scenario.KeyExists(UninstallEntry(Product)));
    }
    // The relative command goes unchanged: the system finds it in the
    // program's directory before the current one, as Windows does.
    const std::string program = WindowsPath(scenario.machine, scenario.medium) + "\\" +
                                LanguageDirectory(language) + "\\Setup.exe";
    EXPECT_EQ(scenario.LauncherEvents("process_start").back().Bytes("image"),
              language == ilJapanese ? ShiftJis(program) : program);
    EXPECT_EQ(scenario.StandInSetupRecord(language), std::string("show=1\ncommand=") +
                                                         LanguageDirectory(language) +
                                                         "\\Setup.exe\ncwd=" + directory + "\n");
    EXPECT_EQ(scenario.StandInSetupRecord(language == ilJapanese ? ilEnglish : ilJapanese), "");
}

// The form is shown by the message loop, with a taskbar button (the
// application window), until the host's user closes it.
void ExpectFormShownUntilClosed(const Scenario& scenario) {
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
}

// A road that stops: nothing is started or deleted; a box (and the form)
// or, with no configuration, a silent end.
void ExpectStoppedRoad(const Scenario& scenario, const Road& road, const RunOutcome& outcome) {
    const TInstallLanguage language = InstallLanguageOf(LocaleOf(road));
    ExpectNothingStarted(scenario);
    EXPECT_EQ(Deletions(scenario), "");
    EXPECT_TRUE(scenario.KeyExists(UserDataKey));
    if (road.at("copy") != "none" && road.at("copy") != "prefix-keys") {
        EXPECT_TRUE(scenario.KeyExists(ProductKey(Product)));
    }
    if (road.at("outcome") == "silent") {
        ExpectSilentEnd(scenario, outcome);
        // The file was looked for, and no INI file object read it.
        auto finds = scenario.LauncherEvents("file_find");
        ASSERT_FALSE(finds.empty());
        EXPECT_EQ(finds[0].Bytes("pattern"), WindowsPath(scenario.machine, scenario.medium) + "\\" +
                                                 LanguageDirectory(language) + "\\SETUP.INI");
        EXPECT_TRUE(scenario.LauncherEvents("profile_read").empty());
        return;
    }
    ASSERT_TRUE(road.at("outcome") == "box" || road.at("outcome") == "form") << road.at("outcome");
    auto boxes = scenario.LauncherEvents("message_box");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Bytes("text"),
              language == ilJapanese ? ShiftJis(road.at("text")) : road.at("text"));
    EXPECT_EQ(boxes[0].Bytes("caption"), road.at("outcome") == "box" ? "Information" : "Setup");
    EXPECT_EQ(boxes[0].Number("flags"), road.at("outcome") == "box" ? 0x40 : 0x10);
    EXPECT_EQ(boxes[0].Bytes("owner_class"), "TApplication");
    if (road.at("outcome") == "form")
        ExpectFormShownUntilClosed(scenario);
    else
        EXPECT_TRUE(scenario.LauncherEvents("window_show").empty());
}

class LauncherRoad : public ::testing::TestWithParam<Road> {};

TEST_P(LauncherRoad, EndsAsTheTableSays) {
    const Road& road = GetParam();
    Scenario scenario("medium" + std::string(road.at("folder") == "-" ? "" : "/") +
                      Expanded(road.at("folder")));
    const TInstallLanguage language = InstallLanguageOf(LocaleOf(road));
    for (TInstallLanguage each : {ilJapanese, ilEnglish}) {
        if (each == language && road.at("config") != "both") continue;
        scenario.WriteAppName(each, each == language ? Expanded(road.at("app_name")) : Product);
        if (each != language || road.at("setup") == "present") scenario.AddStandInSetup(each);
    }
    scenario.Import(UserKeyLines(road.at("user_key")));
    InstallCopy(scenario, road.at("copy"));
    std::string directory = scenario.medium;
    if (road.at("from") != "medium") {
        directory = scenario.root + "/elsewhere";
        std::filesystem::create_directories(directory);
        // A program of the command's name there must not run.
        if (road.at("from") == "elsewhere-with-setup")
            scenario.AddStandInSetupTo(directory, language);
    }
    RunOutcome outcome = scenario.Run(
        LocaleOf(road), static_cast<unsigned>(std::stoul(road.at("code_page"))), directory);

    EXPECT_EQ(outcome.status, 0) << outcome.output;
    auto exits = scenario.LauncherEvents("exit");
    ASSERT_EQ(exits.size(), 1u);
    EXPECT_EQ(exits[0].Number("status"), 0);
    ExpectUninstaller(scenario, road.at("uninstaller"));
    if (road.at("outcome") == "setup") {
        ExpectSilentEnd(scenario, outcome);
        ExpectSetupRoad(scenario, road, directory);
    } else {
        ExpectStoppedRoad(scenario, road, outcome);
        EXPECT_EQ(scenario.StandInSetupRecordIn(directory, language), "");
    }
}

INSTANTIATE_TEST_SUITE_P(, LauncherRoad, ::testing::ValuesIn(RoadsOf("host")),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             std::string name;
                             for (char c : info.param.at("road"))
                                 if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                             return name;
                         });

// --- Scenarios only the host sets up ------------------------------------------------------

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
    EXPECT_EQ(
        boxes[0].Bytes("text"),
        "The setup program cannot be found or started.\nPlease check the installation medium.");
    EXPECT_EQ(boxes[0].Number("flags"), 0x40);
}

TEST(LauncherScenario, AtTheRootOfADriveOnAJapaneseSystemTheConfigurationIsFound) {
    // The medium is drive C: itself, so the program is C:\Setup.exe and its
    // directory part is "C:\".
    ReadyScenario scenario("machine/drive_c");
    scenario.InstallEarlierCopy(Product, true);
    RunOutcome outcome = scenario.Run(1041, 932);

    ExpectSilentEnd(scenario, outcome);
    EXPECT_EQ(scenario.UninstallerRecord(), scenario.UninstallCommand());
    ExpectSetupStarted(scenario, ilJapanese);
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
                  folder + "\\" + LanguageDirectory(language) + "\\SETUP.INI");
        EXPECT_NE(scenario.StandInSetupRecord(language), "");
    }
}

} // namespace
