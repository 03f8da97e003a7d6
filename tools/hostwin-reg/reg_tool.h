// hostwin-reg's pieces: the command line, key names, value data, and the
// commands. Every text is UTF-8; every change goes through the host
// registry's operations (and so to the journal).
#pragma once

#include "registry.h"

#include <optional>
#include <string>
#include <vector>

namespace hostwin_reg {

using hostwin::registry::Root;

// A parsed command line: the command, its positional arguments and its options.
struct CommandLine {
    std::string command;                  // lower case: query, add, delete, import, export
    std::vector<std::string> positional;  // key name, file name
    std::optional<std::string> valueName; // /v NAME
    bool defaultValue = false;            // /ve
    bool allValues = false;               // /va (delete)
    std::optional<std::string> type;      // /t TYPE (add), /t TYPE[,TYPE...] (query: a filter)
    std::optional<std::string> data;      // /d DATA (add)
    std::optional<std::string> separator; // /s SEPARATOR (add)
    bool recursive = false;               // /s (query)
    std::optional<std::string> find;      // /f PATTERN (query)
    bool findKeys = false;                // /k (query /f): key names only
    bool findData = false;                // /d (query /f): data only
    bool caseSensitive = false;           // /c (query /f)
    bool exact = false;                   // /e (query /f)
    bool force = false;                   // /f (add, delete), /y (export)
    bool json = false;                    // /json (query): JSON lines for tools
    // The registry view the command works in, as KEY_WOW64_* flags: reg is a
    // 64-bit program, so the 64-bit view unless /reg:32 asks for the other
    // (both are one registry on 32-bit Windows).
    REGSAM view = KEY_WOW64_64KEY;
};

// Parses arguments after the program name; false (with a message that names
// the fault) on bad syntax, an option that the command does not take included.
bool ParseCommandLine(const std::vector<std::string>& arguments, CommandLine& line,
                      std::string& error);

struct KeyName {
    Root root = Root::LocalMachine;
    std::string path; // below the root, backslashes between components
    std::string Full() const;
};
// "HKLM\Software\X" or "HKEY_LOCAL_MACHINE\Software\X" (also HKCU); false
// with a message that says what is wrong with the name.
bool ParseKeyName(const std::string& text, KeyName& name, std::string& error);

// The type code of a type name (REG_SZ, ...), or nothing.
std::optional<DWORD> TypeFromName(const std::string& name);
// The type's name as reg prints it.
std::string TypeName(DWORD type);

// The stored bytes for /d text of a type; false (with a message) when the
// text is not valid for it.
bool EncodeData(DWORD type, const std::string& text, const std::string& separator,
                std::string& stored, std::string& error);
// The stored bytes as reg query shows them.
std::string DisplayData(DWORD type, const std::string& stored);

// The stored bytes as a JSON value: a string for REG_SZ and REG_EXPAND_SZ
// (up to its first zero), a list of strings for REG_MULTI_SZ, a number for
// REG_DWORD and REG_QWORD, else a string of hexadecimal digits.
std::string JsonData(DWORD type, const std::string& stored);

// A message for a registry error code.
std::string ErrorText(LSTATUS status);

// The commands; each returns the process's exit status (0 or 1).
int Query(const CommandLine& line);
int Add(const CommandLine& line);
int Delete(const CommandLine& line);
int Import(const CommandLine& line);
int Export(const CommandLine& line);

} // namespace hostwin_reg
