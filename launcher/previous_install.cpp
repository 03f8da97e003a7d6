// The earlier installed copy: whether it is there, its uninstaller, and the
// preparation stage that removes it before the new copy is set up.
#include "framework/application/application.h"
#include "launcher/install_language.h"
#include "launcher/medium_layout.h"
#include "launcher/message_catalogue.h"
#include "launcher/process_wait.h"
#include "launcher/unitmain.h"
#include "system/registry.h"

#include <array>
#include <cstring>

namespace {

// Both keys are a prefix followed directly by the application name, below
// HKEY_LOCAL_MACHINE (the product key's prefix is a build option). The paths
// are relative: they do not begin with a backslash.
constexpr char UninstallEntryPrefix[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr char UninstallCommandValue[] = "UninstallString";

// The command line handed to process creation lives in a buffer of this size,
// terminating zero included.
constexpr size_t CommandBufferSize = 1024;

// The key of the application below the prefix.
std::string KeyOf(const char* prefix, const std::string& applicationName) {
    std::string key = prefix;
    key += applicationName;
    return key;
}

TOwned<TRegistry> MachineRegistry() {
    TOwned<TRegistry> registry(new TRegistry());
    registry->SelectHive(HKEY_LOCAL_MACHINE);
    return registry;
}

// Starts the command and waits until the process it started has ended.
bool StartAndAwait(const std::string& command) {
    std::array<char, CommandBufferSize> commandLine{};
    // A command that does not fit is refused, never cut: a cut command line
    // can name a different program from the one registered.
    if (command.size() >= commandLine.size()) return false;
    std::memcpy(commandLine.data(), command.c_str(), command.size() + 1);

    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof(process));
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    const bool ended = AwaitProcessEnd(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ended;
}

} // namespace

bool TFormMain::IsPreviousInstallPresent(const std::string& applicationName) {
    TOwned<TRegistry> registry = MachineRegistry();
    if (!registry->OpenForReading(KeyOf(ProductKeyPrefix(), applicationName))) return false;
    // Closed first, so that the second path starts from the hive again and
    // not from the product key.
    registry->CloseCurrent();
    registry->SelectHive(HKEY_LOCAL_MACHINE);
    return registry->OpenForReading(KeyOf(UninstallEntryPrefix, applicationName));
}

bool TFormMain::RunPreviousUninstaller(const std::string& applicationName) {
    TOwned<TRegistry> registry = MachineRegistry();
    if (!registry->OpenForReading(KeyOf(UninstallEntryPrefix, applicationName))) return false;
    // A value that is not text raises here; the launch stops with it.
    const std::string command = registry->ReadText(UninstallCommandValue);
    // A command that names the launcher itself (a relative "Setup.exe" is
    // found in the launcher's own folder first) would start it again and
    // again, each copy finding the same entry.
    if (StartsTheLauncher(command)) return false;
    // The uninstaller's exit code says nothing: whether the copy is gone is
    // checked in the registry afterwards.
    return StartAndAwait(command);
}

void TFormMain::ResolvePreviousInstall(LCID locale) {
    const TInstallLanguage language = InstallLanguageOf(locale);
    const std::string applicationName = ReadApplicationName(locale);
    if (applicationName == NoNameSentinel) Halt(0);
    // Before anything is changed: without the setup program, removing the
    // earlier copy would leave the user with none.
    RequireSetupProgram(locale);
    if (!IsPreviousInstallPresent(applicationName)) return;
    if (!RunPreviousUninstaller(applicationName)) {
        ShowLauncherMessage(lmUninstallFailed, language);
        Halt(0);
    }
    if (IsPreviousInstallPresent(applicationName)) {
        ShowLauncherMessage(lmStillInstalled, language);
        Halt(0);
    }
}
