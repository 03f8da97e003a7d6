#include "scenario.h"

#include "launcher/medium_layout.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace launcher_test {

namespace fs = std::filesystem;

const char* LanguageDirectory(TInstallLanguage language) {
    return language == ilJapanese ? "Inst_Japanese" : "Inst_English";
}

Scenario::Scenario(const std::string& mediumName) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    for (char& c : name)
        if (c == '/') c = '_';
    root = std::string(std::getenv("HOSTWIN_PREFIX")) + "/scenarios/" + name;
    fs::remove_all(root);
    machine = root + "/machine";
    medium = root + "/" + mediumName;
    journal = root + "/journal.jsonl";
    records = root + "/stand-ins.jsonl";
    fs::create_directories(machine);
    fs::create_directories(medium);
    fs::copy_file(SETUP_PROGRAM, medium + "/Setup.exe");
}

void Scenario::WriteSetupIni(TInstallLanguage language, const std::string& contents) {
    WriteFile(medium + "/" + LanguageDirectory(language) + "/SETUP.INI", contents);
}

void Scenario::WriteAppName(TInstallLanguage language, const std::string& applicationName) {
    WriteSetupIni(language, "[Startup]\r\nAppName=" + applicationName + "\r\n");
}

void Scenario::AddStandInSetup(TInstallLanguage language) {
    AddStandInSetupTo(medium, language);
}

void Scenario::AddStandInSetupTo(const std::string& directory, TInstallLanguage language) {
    WriteStandIn(directory + "/" + LanguageDirectory(language) + "/Setup.exe", records, "setup");
}

std::string Scenario::StandInRecord(const std::string& role, const std::string& program) const {
    std::ifstream in(records);
    for (std::string line; std::getline(in, line);) {
        const JournalLine record{line};
        if (JsonText(record.Raw("role")) == role && JsonText(record.Raw("program")) == program)
            return line;
    }
    return {};
}

std::string Scenario::StandInSetupRecord(TInstallLanguage language) const {
    const std::string program = medium + "/" + LanguageDirectory(language) + "/Setup.exe";
    // The launcher journals every start it makes; without one of this
    // language's program there is nothing to wait for.
    bool started = false;
    for (const JournalLine& start : LauncherEvents("process_start"))
        started |=
            start.Bytes("command_line") == SetupCommandOf(language) && start.Number("result") >= 32;
    for (int waited = 0; started && StandInRecord("setup", program).empty() && waited < 10000;
         waited += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return StandInSetupRecordIn(medium, language);
}

std::string Scenario::StandInSetupRecordIn(const std::string& directory,
                                           TInstallLanguage language) const {
    const JournalLine record{
        StandInRecord("setup", directory + "/" + LanguageDirectory(language) + "/Setup.exe")};
    if (record.text.empty()) return {};
    const std::string show = record.Raw("show");
    return "show=" + (show == "null" ? "none" : JsonText(show)) +
           "\ncommand=" + JsonText(record.Raw("command_line")) +
           "\ncwd=" + JsonText(record.Raw("directory")) + "\n";
}

void Scenario::Import(const std::string& regLines) const {
    ImportRegistry(machine, regLines);
}

void Scenario::InstallEarlierCopy(const std::string& applicationName, bool uninstallerRemovesIt) {
    const std::string uninstaller =
        machine + "/drive_c/Program Files/QUORVANTIX/SOLVENTRA/unins000.exe";
    WriteStandInUninstaller(uninstaller, records, applicationName, uninstallerRemovesIt);
    uninstallCommand = "\"" + WindowsPath(machine, uninstaller) + "\" /SILENT";
    Import(EarlierCopyLines(applicationName, RegString(uninstallCommand)));
}

std::string Scenario::UninstallerRecord() const {
    std::ifstream in(records);
    for (std::string line; std::getline(in, line);)
        if (JournalLine{line}.Raw("role") == "\"uninstaller\"")
            return JsonText(JournalLine{line}.Raw("command_line"));
    return {};
}

bool Scenario::KeyExists(const std::string& key) const {
    return launcher_test::KeyExists(machine, key);
}

std::string Scenario::QueryKey(const std::string& key) const {
    return launcher_test::QueryKey(machine, key);
}

RunOutcome Scenario::Run(LCID locale, unsigned codePage, const std::string& directory) const {
    RunRequest request;
    request.arguments = {medium + "/Setup.exe"};
    request.environment = {{"HOSTWIN_PREFIX", machine},
                           {"HOSTWIN_JOURNAL", journal},
                           {"HOSTWIN_LCID", std::to_string(locale)}};
    if (codePage) request.environment["HOSTWIN_ACP"] = std::to_string(codePage);
    request.directory = directory.empty() ? medium : directory;
    RunOutcome outcome = launcher_test::Run(request);
    EXPECT_FALSE(outcome.timedOut) << outcome.output;
    return outcome;
}

std::vector<JournalLine> Scenario::LauncherEvents(const std::string& event) const {
    std::vector<JournalLine> lines;
    for (JournalLine& line : JournalOf(journal, event))
        if (line.Raw("program") == "\"Setup.exe\"") lines.push_back(std::move(line));
    return lines;
}

} // namespace launcher_test
