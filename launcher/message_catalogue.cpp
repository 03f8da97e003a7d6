#include "launcher/message_catalogue.h"

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

// Indexed by message, then by language (ilJapanese, ilEnglish).
struct TMessageCatalogue {
    std::string Texts[2][2];
};

std::unique_ptr<TMessageCatalogue> MessageCatalogue;

}  // namespace

void BuildMessageCatalogue() {
    MessageCatalogue = std::make_unique<TMessageCatalogue>(TMessageCatalogue{{
        {UninstallFailedJapanese, UninstallFailedEnglish},
        {StillInstalledJapanese, StillInstalledEnglish},
    }});
}

void ReleaseMessageCatalogue() { MessageCatalogue.reset(); }

const std::string& CatalogueText(TLauncherMessage message, TInstallLanguage language) {
    static const std::string none;
    if (!MessageCatalogue) return none;
    return MessageCatalogue->Texts[message][language];
}
