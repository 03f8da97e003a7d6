// Helpers of the launcher tests: files and stand-in programs on disk, other
// programs run with a time-out, registry fixtures through hostwin-reg, and
// journals read back.
#pragma once

#include "tests/framework/application/journal_lines.h"

#include <map>
#include <string>
#include <vector>

namespace launcher_test {

// The product key and uninstall entry of an application name, below HKLM.
std::string ProductKey(const std::string& applicationName);
std::string UninstallEntry(const std::string& applicationName);
// The per-user data key, below HKCU.
inline constexpr char UserDataKey[] = "HKEY_CURRENT_USER\\Software\\QUORVANTIX\\SOLVENTRA\\Data";

// A text as a .reg file writes it: in quotes, with backslashes and quotes escaped.
std::string RegString(const std::string& text);
// The .reg lines of an earlier installed copy: its product key and its
// uninstall entry, with "UninstallString" set to `commandData` (the data as a
// .reg file writes it, such as RegString(...) or dword:...; empty: no value).
std::string EarlierCopyLines(const std::string& applicationName, const std::string& commandData);

// The bytes of UTF-8 text in code page 932 (converted by iconv, not by the host).
std::string ShiftJis(const std::string& utf8);

// The Windows name of a POSIX path on the machine at `prefix`: below its
// drive_c on drive C:, anywhere else on drive Z: (the POSIX root).
std::string WindowsPath(const std::string& prefix, const std::string& posixPath);

// Writes a file whole: the bytes go to a temporary file that is renamed over
// the name, so that a reader never sees a part. Directories are created.
void WriteFile(const std::string& path, const std::string& bytes, bool executable = false);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

// A stand-in program (the medium tools' stand_in.py) at `path`: it appends
// how it was started (role, program, command_line, directory, show) to the
// JSON lines of `records` and does what its role says.
void WriteStandIn(const std::string& path, const std::string& records, const std::string& role,
                  const std::vector<std::string>& arguments = {});
// A stand-in uninstaller that records in `records` and, when it removes the
// copy, deletes both keys of the application name.
void WriteStandInUninstaller(const std::string& path, const std::string& records,
                             const std::string& applicationName, bool removesCopy);

// The text of a JSON string value as JournalLine::Raw gives it (quotes included).
std::string JsonText(const std::string& raw);

// A run of another program.
struct RunOutcome {
    int status = -1; // exit status; -1 when it was killed or timed out
    bool timedOut = false;
    std::string output; // standard output and error
};
struct RunRequest {
    std::vector<std::string> arguments;             // the program first
    std::map<std::string, std::string> environment; // set over the test's own (HOSTWIN_* left out)
    std::string directory;                          // working directory; empty: the test's
    int timeoutSeconds = 60;
};
RunOutcome Run(const RunRequest& request);

// hostwin-reg against the machine at `prefix` (journal off). Returns the exit status.
int Reg(const std::string& prefix, const std::vector<std::string>& arguments);
// Imports the lines of a .reg file (the header is added).
void ImportRegistry(const std::string& prefix, const std::string& lines);
bool KeyExists(const std::string& prefix, const std::string& key);
// `hostwin-reg query` of a key with its values, empty when it fails.
std::string QueryKey(const std::string& prefix, const std::string& key);

// The journal's lines of one event, from a journal file.
std::vector<JournalLine> JournalOf(const std::string& journalPath, const std::string& event);

} // namespace launcher_test
