// What the launcher looks for on the medium and in the registry: the product
// key prefix, the per-user key and the language folders. They are build
// options (cmake/MediumLayout.cmake) and live in one record of the program,
// which the medium tools read back from a built Setup.exe.
#pragma once

#include "launcher/install_language.h"

#include <string>

// The record as it sits in the program's read-only data: a tag, then each
// text zero-padded in a field of fixed size, so that a tool finds the tag in
// the file of any build (ELF or PE) and the texts at fixed offsets after it.
struct TMediumLayout {
    char Tag[32];                // "SETUP-MEDIUM-LAYOUT/1": another version is another layout
    char ProductKeyPrefix[224];  // below HKEY_LOCAL_MACHINE, ends in a backslash
    char UserDataKey[224];       // below HKEY_CURRENT_USER
    char LanguageFolders[2][64]; // indexed by TInstallLanguage
};

// The record of this build.
extern const TMediumLayout MediumLayout;

// The prefix of the product key written by the product's installer; the
// application name follows it directly.
const char* ProductKeyPrefix();
// The per-user key that earlier versions left behind.
const char* UserDataKey();
// The language's folder on the medium, beside the launcher.
const char* LanguageFolderOf(TInstallLanguage language);
// The language's setup configuration file, relative to the program's directory.
std::string SetupConfigFileOf(TInstallLanguage language);
// The language's setup program, as the command handed to the system.
std::string SetupCommandOf(TInstallLanguage language);
// The full path of a file given relative to the launcher's folder, where the
// language folders are: the files are looked for there, not in the current
// directory.
std::string BesideLauncher(const std::string& relative);
