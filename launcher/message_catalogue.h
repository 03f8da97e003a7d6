// The launcher's user messages, one text per language. The Japanese texts
// are Shift-JIS (code page 932) bytes whatever the machine's code page.
#pragma once

#include "launcher/install_language.h"

#include <cstdint>
#include <string>

enum TLauncherMessage : uint8_t {
    lmUninstallFailed,
    lmStillInstalled,
    lmFolderUnusable, // the program's folder path cannot be used
    lmSetupMissing,   // the language's setup program is not there or does not start
};

// The caption of every launcher message, in both languages.
inline constexpr char InformationCaption[] = "Information";

// Builds the texts as counted strings (module start-up) / releases them
// (module shutdown).
void BuildMessageCatalogue();
void ReleaseMessageCatalogue();

// A message's text in the language; empty while the catalogue is not built.
const std::string& CatalogueText(TLauncherMessage message, TInstallLanguage language);

// Shows a message in the language in an information box owned by the
// application window, and returns when the user has closed it.
void ShowLauncherMessage(TLauncherMessage message, TInstallLanguage language);
