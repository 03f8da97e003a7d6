// Command lines as CreateProcessA and WinExec read them: which program the
// line names, and how the rest splits into arguments.
#pragma once

#include "hostwin/windows.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace hostwin {

struct ProgramLocation {
    std::string posixPath;     // the file to run
    size_t argumentsStart = 0; // where the arguments begin in the command line
};

// One place the lookup of a command line's program tries: a Windows path,
// and where the arguments would begin if the program is found there.
struct ProgramCandidate {
    std::string windowsPath;
    size_t argumentsStart = 0;
    bool exeAppended = false; // ".exe" was added to a name without an extension
};

// Calls visit with each place the lookup of a command line tries, in the
// order LocateProgram tries them, until visit returns true. programFolder is
// the starting program's folder (a Windows path).
void ForEachProgramCandidate(std::string_view ansiCommandLine, const std::string& programFolder,
                             const std::function<bool(const ProgramCandidate&)>& visit);

// Finds the program that a command line names, as CreateProcessA does when
// it is given no application name:
// - a first token in quotes is the name;
// - otherwise the line is tried up to each space or tab in turn, shortest
//   first, then whole ("C:\Program Files\a.exe" finds C:\Program.exe first
//   when it exists);
// - each name is looked up by SearchProgram.
// Returns ERROR_SUCCESS or ERROR_FILE_NOT_FOUND.
DWORD LocateProgram(std::string_view ansiCommandLine, ProgramLocation& location);

// The same for a starter in another program folder (a Windows path).
DWORD LocateProgram(std::string_view ansiCommandLine, const std::string& programFolder,
                    ProgramLocation& location);

// The program folder of this process, as the lookup searches it first.
std::string OwnProgramFolder();

// The file a program name (ANSI) means, or an empty string. A name with a
// drive, a leading backslash or a leading ".\" or "..\" is taken relative to
// the current directory only; any other name, also one with directories in
// it ("sub\t.exe"), is searched for in the program's own directory, the
// current directory, C:\windows\system32, C:\windows\system, C:\windows and
// the directories of PATH, in that order. A name without an extension is
// tried with ".exe" appended first, then as it is.
std::string SearchProgram(std::string_view ansiName);

// The position after the first token of a command line, the program name as
// the C runtime reads it (up to the closing quote, or to the first blank).
size_t EndOfFirstToken(std::string_view commandLine);

// Splits arguments as the C runtime does: blanks separate outside quotes;
// 2n backslashes before a quote give n backslashes and the quote opens or
// closes a quoted part; 2n+1 backslashes before a quote give n backslashes
// and a literal quote; inside quotes a doubled quote is a literal quote;
// other backslashes are literal.
std::vector<std::string> SplitArguments(std::string_view arguments);

} // namespace hostwin
