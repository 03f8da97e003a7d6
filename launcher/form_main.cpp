// TFormMain's class record and the launch sequence.
#include "launcher/message_catalogue.h"
#include "launcher/unitmain.h"

namespace {
// Method tables are filled at start-up: code addresses are no constant expressions.
const TMethodEntry formMainMethods[] = {PublishedMethod<&TFormMain::FormCreate>("FormCreate")};
} // namespace

constinit const TClass TFormMain::ClassInfo =
    MakeClass<TFormMain>("TFormMain", &TForm::ClassInfo, {}, formMainMethods);

TFormMain* FormMain = nullptr;

constinit const TModuleStep UnitmainModule = {"Unitmain", BuildMessageCatalogue,
                                              ReleaseMessageCatalogue};

void TFormMain::FormCreate(TObject*) {
    const LCID locale = GetUserDefaultLCID();
    RequireUsableProgramFolder(locale);
    ResolvePreviousInstall(locale);
    // An uninstaller may have run for a long while (a removable medium may be
    // gone by now): the setup program is looked for again before the user
    // key goes.
    RequireSetupProgram(locale);
    RemoveUserDataKey();
    // Whether the setup program could be started or not, the launcher's work
    // is done.
    StartSetupProgram(locale);
    Halt(0);
}
