// Module Unitmain: the launcher. TFormMain is the program's main form; its
// creation handler runs the whole launch (language, earlier copy, per-user
// key, setup program) and ends the process. The form itself stays invisible.
#pragma once

#include "framework/forms/form.h"
#include "launcher/install_language.h"
#include "platform/win32.h"
#include "runtime/modules.h"

#include <string>

class TFormMain : public TForm {
public:
    DECLARE_CLASS_INFO()

    // The creation handler, bound by name from the form description: chooses
    // the language from the user's locale, removes an earlier copy, deletes
    // the per-user key, starts the language's setup program and ends the
    // process with status 0. It returns only when a stage raises.
    void FormCreate(TObject* sender);

    // The stages use no state of the form, so they can run without one.

    // True when every path the launcher forms under its program's folder is
    // whole: the ANSI path spells every character, and the longest path fits
    // the ANSI file functions (fewer than MAX_PATH characters).
    static bool IsProgramFolderUsable(TInstallLanguage language);
    // Returns when the folder can be used; otherwise ends the process (status
    // 0) after an information box, before anything is read.
    static void RequireUsableProgramFolder(LCID locale);
    // Returns when the language's setup program is beside the launcher;
    // otherwise ends the process (status 0) after an information box.
    static void RequireSetupProgram(LCID locale);
    // Starts the language's setup program; an information box when it
    // cannot be started.
    static void StartSetupProgram(LCID locale);

    // The product's name from the language's SETUP.INI beside the program
    // ([Startup] AppName); "NoName" when the file or the entry is missing.
    // Ends the process (status 0) when the INI file object cannot be made.
    static std::string ReadApplicationName(LCID locale);
    // Returns when the launch may go on. Ends the process (status 0) when
    // there is no application name, and after an information box when the
    // setup program is missing or an earlier copy could not be removed.
    static void ResolvePreviousInstall(LCID locale);
    // True when both the product key and its uninstall entry open for reading.
    static bool IsPreviousInstallPresent(const std::string& applicationName);
    // Runs the registered uninstall command and waits for its end; false
    // when there is no command, it does not fit the command buffer, it would
    // start the launcher itself, it cannot be started or the wait fails.
    static bool RunPreviousUninstaller(const std::string& applicationName);
    // The program file that process creation would start for the command
    // (given without an application name); empty when it finds none.
    static std::string CommandProgramFile(const std::string& command);
    // True when the command would start the launcher's own program file.
    static bool StartsTheLauncher(const std::string& command);
    // Deletes the per-user data key; every failure is silent.
    static void RemoveUserDataKey();
};

// The application name that stands for none: the read default and the answer
// for a missing configuration file. Compared case-sensitively.
inline constexpr char NoNameSentinel[] = "NoName";

// The main form, written by the application object when it creates it.
extern TFormMain* FormMain;

// Unitmain's module step: builds the message catalogue at start-up and
// releases it at shutdown. Listed after the forms module.
extern const TModuleStep UnitmainModule;
