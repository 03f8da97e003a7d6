#include "launcher/medium_layout.h"

#include "launcher/medium_options.h"

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

std::string SetupConfigFileOf(TInstallLanguage language) {
    return std::string(LanguageFolderOf(language)) + "\\SETUP.INI";
}

std::string SetupCommandOf(TInstallLanguage language) {
    return std::string(LanguageFolderOf(language)) + "\\Setup.exe";
}
