// The product's name from the language's setup configuration file.
#include "framework/application/application.h"
#include "launcher/install_language.h"
#include "launcher/medium_layout.h"
#include "launcher/unitmain.h"
#include "system/fileaccess.h"
#include "system/inifile.h"

std::string TFormMain::ReadApplicationName(LCID locale) {
    // The file is looked for beside the program, not in the current directory.
    const std::string configPath = BesideLauncher(SetupConfigFileOf(InstallLanguageOf(locale)));
    if (!FileIsPresent(configPath)) return NoNameSentinel;
    TOwned<TIniFile> config;
    try {
        config.reset(new TIniFile(configPath));
    } catch (...) {
        Halt(0);
    }
    return config->LoadText("Startup", "AppName", NoNameSentinel);
}
