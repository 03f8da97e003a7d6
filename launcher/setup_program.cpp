// The language's setup program beside the launcher: looked for before
// anything is changed, and started at the end.
#include "framework/application/application.h"
#include "launcher/install_language.h"
#include "launcher/medium_layout.h"
#include "launcher/message_catalogue.h"
#include "launcher/unitmain.h"
#include "system/fileaccess.h"
#include "system/pathparts.h"

#include <algorithm>
#include <array>
#include <cstring>

void TFormMain::RequireSetupProgram(LCID locale) {
    const TInstallLanguage language = InstallLanguageOf(locale);
    // Beside the launcher, where its configuration is read: when it is not
    // there, the system's search would go on to the current directory and
    // start whatever program of that name lies there.
    if (FileIsPresent(DirectoryPart(TheApplication->ProgramFilePath()) + SetupCommandOf(language)))
        return;
    ShowLauncherMessage(lmSetupMissing, language);
    Halt(0);
}

void TFormMain::StartSetupProgram(LCID locale) {
    const TInstallLanguage language = InstallLanguageOf(locale);
    std::array<char, 1024> command{};
    const std::string setup = SetupCommandOf(language);
    // The folder name is a build option of bounded size: it always fits.
    std::memcpy(command.data(), setup.c_str(), std::min(setup.size() + 1, command.size() - 1));
    // The command stays relative, as the setup program has always been
    // started: the system finds it in the launcher's folder, which the
    // launcher has just checked. The setup program runs on by itself.
    if (WinExec(command.data(), SW_SHOWNORMAL) > 31) return;
    ShowLauncherMessage(lmSetupMissing, language);
}
