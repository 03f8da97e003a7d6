#include "launcher/message_catalogue.h"

#include "framework/application/application.h"

#include <memory>

namespace {

// The texts as they are compiled into the program. The Japanese ones are
// written as bytes: the compiler would store the source's UTF-8.

// "ソフトウェアのアンインストールに失敗しました。"
constexpr char UninstallFailedJapanese[] =
    "\x83\x5C\x83\x74\x83\x67\x83\x45\x83\x46\x83\x41\x82\xCC\x83\x41\x83\x93\x83\x43\x83\x93"
    "\x83\x58\x83\x67\x81\x5B\x83\x8B\x82\xC9\x8E\xB8\x94\x73\x82\xB5\x82\xDC\x82\xB5\x82\xBD"
    "\x81\x42";
constexpr char UninstallFailedEnglish[] = "This software failed to uninstall.";

// "前回バージョンのソフトウェアをアンインストールしてから、" LF
// "再度インストールしてください。"
constexpr char StillInstalledJapanese[] =
    "\x91\x4F\x89\xF1\x83\x6F\x81\x5B\x83\x57\x83\x87\x83\x93\x82\xCC\x83\x5C\x83\x74\x83\x67"
    "\x83\x45\x83\x46\x83\x41\x82\xF0\x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B"
    "\x83\x8B\x82\xB5\x82\xC4\x82\xA9\x82\xE7\x81\x41"
    "\x0A"
    "\x8D\xC4\x93\x78\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x82\xB5\x82\xC4\x82\xAD"
    "\x82\xBE\x82\xB3\x82\xA2\x81\x42";
constexpr char StillInstalledEnglish[] = "Please uninstall old software.";

// "このフォルダーのパスからはセットアップを実行できません。" LF
// "メディアの内容を短い英数字だけのパスのフォルダーにコピーしてから、再度実行してください。"
constexpr char FolderUnusableJapanese[] =
    "\x82\xB1\x82\xCC\x83\x74\x83\x48\x83\x8B\x83\x5F\x81\x5B\x82\xCC\x83\x70\x83\x58\x82\xA9"
    "\x82\xE7\x82\xCD\x83\x5A\x83\x62\x83\x67\x83\x41\x83\x62\x83\x76\x82\xF0\x8E\xC0\x8D\x73"
    "\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x81\x42"
    "\x0A"
    "\x83\x81\x83\x66\x83\x42\x83\x41\x82\xCC\x93\xE0\x97\x65\x82\xF0\x92\x5A\x82\xA2\x89\x70"
    "\x90\x94\x8E\x9A\x82\xBE\x82\xAF\x82\xCC\x83\x70\x83\x58\x82\xCC\x83\x74\x83\x48\x83\x8B"
    "\x83\x5F\x81\x5B\x82\xC9\x83\x52\x83\x73\x81\x5B\x82\xB5\x82\xC4\x82\xA9\x82\xE7\x81\x41"
    "\x8D\xC4\x93\x78\x8E\xC0\x8D\x73\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42";
constexpr char FolderUnusableEnglish[] =
    "Setup cannot be run from this folder path.\n"
    "Please copy the contents of the medium to a folder with a short path of plain letters and "
    "numbers, and run Setup again.";

// "セットアッププログラムが見つからないか、起動できません。" LF
// "インストールメディアを確認してください。"
constexpr char SetupMissingJapanese[] =
    "\x83\x5A\x83\x62\x83\x67\x83\x41\x83\x62\x83\x76\x83\x76\x83\x8D\x83\x4F\x83\x89\x83\x80"
    "\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE7\x82\xC8\x82\xA2\x82\xA9\x81\x41\x8B\x4E\x93\xAE"
    "\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x81\x42"
    "\x0A"
    "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x83\x81\x83\x66\x83\x42\x83\x41\x82\xF0"
    "\x8A\x6D\x94\x46\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42";
constexpr char SetupMissingEnglish[] =
    "The setup program cannot be found or started.\nPlease check the installation medium.";

// The catalogue's sources, indexed by message, then by language (ilJapanese,
// ilEnglish).
constexpr const char* CatalogueSources[4][2] = {
    {UninstallFailedJapanese, UninstallFailedEnglish},
    {StillInstalledJapanese, StillInstalledEnglish},
    {FolderUnusableJapanese, FolderUnusableEnglish},
    {SetupMissingJapanese, SetupMissingEnglish},
};

// Indexed as its sources.
struct TMessageCatalogue {
    std::string Texts[4][2];
};

std::unique_ptr<TMessageCatalogue> MessageCatalogue;

} // namespace

void BuildMessageCatalogue() {
    auto catalogue = std::make_unique<TMessageCatalogue>();
    for (size_t message = 0; message < 4; ++message)
        for (size_t language = 0; language < 2; ++language)
            catalogue->Texts[message][language] = CatalogueSources[message][language];
    MessageCatalogue = std::move(catalogue);
}

void ReleaseMessageCatalogue() {
    MessageCatalogue.reset();
}

const std::string& CatalogueText(TLauncherMessage message, TInstallLanguage language) {
    static const std::string none;
    if (!MessageCatalogue) return none;
    return MessageCatalogue->Texts[message][language];
}

void ShowLauncherMessage(TLauncherMessage message, TInstallLanguage language) {
    TheApplication->ModalMessageBox(CatalogueText(message, language).c_str(), InformationCaption,
                                    MB_OK | MB_ICONINFORMATION);
}
