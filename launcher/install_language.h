// The installation language and what it chooses on the medium.
#pragma once

#include "platform/win32.h"

#include <cstdint>

enum TInstallLanguage : uint8_t { ilJapanese, ilEnglish };

// Japanese for the locale identifier 1041 exactly, English for any other.
constexpr TInstallLanguage InstallLanguageOf(LCID locale) {
    return locale == 1041 ? ilJapanese : ilEnglish;
}
