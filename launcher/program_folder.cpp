// Whether the folder the launcher runs from can be used at all.
#include "framework/application/application.h"
#include "launcher/install_language.h"
#include "launcher/medium_layout.h"
#include "launcher/message_catalogue.h"
#include "launcher/unitmain.h"
#include "system/module_path.h"

#include <algorithm>

namespace {

// The ANSI form of a UTF-16 text, and whether each character had one. No
// best fit: a character the code page lacks must not turn into a look-alike
// that names another file.
bool SpellsEveryCharacter(const std::basic_string<WCHAR>& wide, std::string& ansi) {
    // The UTF-8 code page spells everything and takes neither the flag nor
    // the default-character answer.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* defaulted = utf8 ? nullptr : &usedDefault;
    const int wideLength = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_ACP, flags, wide.data(), wideLength, nullptr, 0, nullptr, defaulted);
    if (length <= 0) return false;
    ansi.assign(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide.data(), wideLength, ansi.data(), length, nullptr,
                        defaulted);
    return !usedDefault;
}

} // namespace

bool TFormMain::IsProgramFolderUsable(TInstallLanguage language) {
    const std::string ansiPath = TheApplication->ProgramFilePath();
    const std::basic_string<WCHAR> widePath = ModuleFilePathWide(nullptr);
    if (ansiPath.empty() || widePath.empty()) return false;
    // The ANSI path holds '?' for each character the code page cannot spell:
    // it names no existing folder.
    std::string spelt;
    if (!SpellsEveryCharacter(widePath, spelt) || spelt != ansiPath) return false;
    // The ANSI file functions take paths of fewer than MAX_PATH characters,
    // counted once converted: the folder's length in UTF-16 units plus the
    // longest name the launcher puts after it (its folder names are ASCII).
    const size_t folderLength = widePath.find_last_of(WCHAR('\\')) + 1;
    const size_t longestName =
        std::max(SetupConfigFileOf(language).size(), SetupCommandOf(language).size());
    return folderLength + longestName < MAX_PATH;
}

void TFormMain::RequireUsableProgramFolder(LCID locale) {
    const TInstallLanguage language = InstallLanguageOf(locale);
    if (IsProgramFolderUsable(language)) return;
    ShowLauncherMessage(lmFolderUnusable, language);
    Halt(0);
}
