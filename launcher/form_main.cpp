// TFormMain's class record and the launch sequence.
#include "launcher/install_language.h"
#include "launcher/medium_layout.h"
#include "launcher/message_catalogue.h"
#include "launcher/unitmain.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {
// Method tables are filled at start-up: code addresses are no constant expressions.
const TMethodEntry formMainMethods[] = {PublishedMethod<&TFormMain::FormCreate>("FormCreate")};
}  // namespace

constinit const TClass TFormMain::ClassInfo =
    MakeClass<TFormMain>("TFormMain", &TForm::ClassInfo, {}, formMainMethods);

TFormMain* FormMain = nullptr;

constinit const TModuleStep UnitmainModule = {"Unitmain", BuildMessageCatalogue, ReleaseMessageCatalogue};

void TFormMain::FormCreate(TObject*) {
    std::array<char, 1024> command{};
    const LCID locale = GetUserDefaultLCID();
    ResolvePreviousInstall(locale);
    RemoveUserDataKey();
    const std::string setup = SetupCommandOf(InstallLanguageOf(locale));
    // The folder name is a build option of bounded size: it always fits.
    std::memcpy(command.data(), setup.c_str(), std::min(setup.size() + 1, command.size() - 1));
    // The setup program runs on by itself; whether it could be started or
    // not, the launcher's work is done.
    WinExec(command.data(), SW_SHOWNORMAL);
    Halt(0);
}
