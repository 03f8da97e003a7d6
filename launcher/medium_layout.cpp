#include "launcher/medium_layout.h"

#include "framework/application/application.h"
#include "launcher/medium_options.h"
#include "system/pathparts.h"

// Defined here and read only through the functions below, from other
// translation units: the record is therefore kept whole in every build,
// also where unreferenced data is dropped at link time.
constinit const TMediumLayout MediumLayout = {
    "SETUP-MEDIUM-LAYOUT/1",
    SETUP_VENDOR_KEY_PREFIX,
    SETUP_USER_DATA_KEY,
    {SETUP_JAPANESE_FOLDER, SETUP_ENGLISH_FOLDER},
};

const char* ProductKeyPrefix() {
    return MediumLayout.ProductKeyPrefix;
}

const char* UserDataKey() {
    return MediumLayout.UserDataKey;
}

const char* LanguageFolderOf(TInstallLanguage language) {
    return MediumLayout.LanguageFolders[language];
}

namespace {

// A file of the language's folder, relative to the program's directory.
std::string InLanguageFolder(TInstallLanguage language, const char* name) {
    std::string path = LanguageFolderOf(language);
    path += name;
    return path;
}

} // namespace

std::string SetupConfigFileOf(TInstallLanguage language) {
    return InLanguageFolder(language, "\\SETUP.INI");
}

std::string SetupCommandOf(TInstallLanguage language) {
    return InLanguageFolder(language, "\\Setup.exe");
}

std::string BesideLauncher(const std::string& relative) {
    std::string path = DirectoryPart(TheApplication->ProgramFilePath());
    path += relative;
    return path;
}
