// A whole-program scenario: a fresh host machine and a fresh installation
// medium holding a copy of the host Setup.exe, runs of it there, and what the
// run left behind (journal, registry, the stand-ins' markers).
#pragma once

#include "launcher/install_language.h"
#include "launcher_support.h"

#include <string>
#include <vector>

namespace launcher_test {

// The medium folder of a language ("Inst_Japanese", "Inst_English").
const char* LanguageDirectory(TInstallLanguage language);

class Scenario {
public:
    // A scenario of the current test, in $HOSTWIN_PREFIX/scenarios/TEST; the
    // medium directory is named `mediumName` (UTF-8) and holds Setup.exe.
    explicit Scenario(const std::string& mediumName = "medium");

    // The medium: the language's SETUP.INI, and a stand-in setup program
    // that records its show command, arguments and directory when started.
    void WriteSetupIni(TInstallLanguage language, const std::string& contents);
    void WriteAppName(TInstallLanguage language, const std::string& applicationName);
    void AddStandInSetup(TInstallLanguage language);
    // The same stand-in in the language's folder below another directory.
    void AddStandInSetupTo(const std::string& directory, TInstallLanguage language);
    // What the language's stand-in recorded ("show=...\ncommand=...\ncwd=...\n"),
    // waited for up to a few seconds (the launcher does not wait for it);
    // empty when it was not started.
    std::string StandInSetupRecord(TInstallLanguage language) const;
    // What the stand-in below another directory recorded (not waited for).
    std::string StandInSetupRecordIn(const std::string& directory, TInstallLanguage language) const;

    // The machine: registry lines imported, and an earlier installed copy
    // whose stand-in uninstaller (in C:\Program Files) removes it or not.
    void Import(const std::string& regLines) const;
    void InstallEarlierCopy(const std::string& applicationName, bool uninstallerRemovesIt);
    // The command line the uninstaller was started with; empty when it was not.
    std::string UninstallerRecord() const;
    // The command registered by InstallEarlierCopy.
    const std::string& UninstallCommand() const { return uninstallCommand; }
    bool KeyExists(const std::string& key) const;
    std::string QueryKey(const std::string& key) const;

    // Runs the medium's Setup.exe on a machine with the locale (and, when not
    // 0, the ANSI code page), from `directory` (default: the medium).
    RunOutcome Run(LCID locale, unsigned codePage = 0, const std::string& directory = {}) const;

    // The journal's lines of an event written by the launcher itself.
    std::vector<JournalLine> LauncherEvents(const std::string& event) const;

    std::string root;    // the scenario's directory
    std::string machine; // HOSTWIN_PREFIX of the runs
    std::string medium;  // the medium's directory
    std::string journal; // HOSTWIN_JOURNAL of the runs

private:
    // The record a stand-in of the role at `program` made, as JSON; empty when none did.
    std::string StandInRecord(const std::string& role, const std::string& program) const;

    std::string records; // what the stand-ins record (JSON lines)
    std::string uninstallCommand;
};

} // namespace launcher_test
