// The installation language and what it chooses on the medium.
#pragma once

#include "platform/win32.h"

#include <cstdint>

enum TInstallLanguage : uint8_t { ilJapanese, ilEnglish };

// Japanese for the locale identifier 1041 exactly, English for any other.
constexpr TInstallLanguage InstallLanguageOf(LCID locale) {
    return locale == 1041 ? ilJapanese : ilEnglish;
}

// The language's setup configuration file, relative to the program's directory.
constexpr const char* SetupConfigFileOf(TInstallLanguage language) {
    return language == ilJapanese ? "Inst_Japanese\\SETUP.INI" : "Inst_English\\SETUP.INI";
}

// The language's setup program, as the command handed to the system.
constexpr const char* SetupCommandOf(TInstallLanguage language) {
    return language == ilJapanese ? "Inst_Japanese\\Setup.exe" : "Inst_English\\Setup.exe";
}
