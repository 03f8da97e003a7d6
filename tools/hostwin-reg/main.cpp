// hostwin-reg: the host machine's registry from the command line, with the
// syntax of Windows' reg command. It serves test fixtures, stand-in programs
// and people; the machine is the one HOSTWIN_PREFIX names.
#include "reg_tool.h"

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "Usage: hostwin-reg COMMAND ...   (the machine is $HOSTWIN_PREFIX)\n"
    "\n"
    "  hostwin-reg query  KEY [/v NAME | /ve] [/s] [/t TYPE[,TYPE...]]\n"
    "                         [/f PATTERN [/k | /d] [/c] [/e]] [/reg:32 | /reg:64]\n"
    "  hostwin-reg query  KEY /json [/s] [/reg:32 | /reg:64]\n"
    "  hostwin-reg add    KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]\n"
    "                         [/reg:32 | /reg:64]\n"
    "  hostwin-reg delete KEY [/v NAME | /ve | /va] [/f] [/reg:32 | /reg:64]\n"
    "  hostwin-reg import FILE.reg [/reg:32 | /reg:64]\n"
    "  hostwin-reg export KEY FILE.reg [/y] [/reg:32 | /reg:64]\n"
    "\n"
    "KEY begins with HKLM, HKCU, HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER; backslashes\n"
    "separate its keys. TYPE is REG_SZ (the default), REG_EXPAND_SZ, REG_MULTI_SZ,\n"
    "REG_DWORD, REG_QWORD, REG_BINARY or REG_NONE. DATA: text; numbers in decimal or\n"
    "0x hexadecimal; binary data as hexadecimal digits; REG_MULTI_SZ items separated\n"
    "by \\0 (or /s SEPARATOR).\n"
    "\n"
    "query: /s goes through every key below; /t shows only values of the types;\n"
    "  /f searches key names, value names and data for PATTERN (* and ? are\n"
    "  wildcards), /k in key names only, /d in data only, /c with regard to case,\n"
    "  /e for whole matches only. A search ends with \"End of search: N match(es)\n"
    "  found.\" and fails when nothing matched. /json writes, for tools, one JSON\n"
    "  object a line for the key (and with /s every key below it): {\"key\": NAME,\n"
    "  \"subkeys\": [NAME, ...], \"values\": [{\"name\": NAME, \"type\": \"REG_SZ\", \"data\":\n"
    "  DATA}]}; DATA is a string for REG_SZ and REG_EXPAND_SZ, a list of strings for\n"
    "  REG_MULTI_SZ, a number for REG_DWORD and REG_QWORD, else hexadecimal digits.\n"
    "add: over an existing value without /f, asks on a terminal and refuses without\n"
    "  one. delete: without /v, /ve or /va deletes the key with everything below it;\n"
    "  without /f asks on a terminal (without one it goes ahead).\n"
    "export: writes what regedit writes (UTF-16LE with a byte-order mark, CR LF);\n"
    "  over an existing file without /y asks on a terminal, refuses without one.\n"
    "import: reads version 5 files (UTF-16LE or UTF-8) and REGEDIT4 files (ANSI code\n"
    "  page); the whole file is checked before anything changes.\n"
    "\n"
    "/reg:64 (the default; hostwin-reg is a 64-bit program, as reg is) works in the\n"
    "  64-bit view of HKLM\\SOFTWARE, where the 32-bit programs' keys are below\n"
    "  HKLM\\SOFTWARE\\WOW6432Node; /reg:32 works in the 32-bit view, as a 32-bit\n"
    "  program sees it. Export names keys where regedit shows them (the 32-bit\n"
    "  view's below WOW6432Node), and import puts keys named below WOW6432Node in\n"
    "  the 32-bit view in either view. On 32-bit Windows (HOSTWIN_PROCESS=win32)\n"
    "  there is one registry and both options are ignored.\n"
    "\n"
    "Texts are UTF-8. Exit status: 0 success, 1 failure (ERROR: ... on standard error).\n";

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty() || arguments[0] == "/?" || arguments[0] == "-h" ||
        arguments[0] == "--help") {
        std::fputs(kUsage, arguments.empty() ? stderr : stdout);
        return arguments.empty() ? 1 : 0;
    }
    hostwin_reg::CommandLine line;
    std::string error;
    if (!hostwin_reg::ParseCommandLine(arguments, line, error)) {
        std::fprintf(stderr, "ERROR: Invalid syntax: %s.\nType \"hostwin-reg /?\" for usage.\n",
                     error.c_str());
        return 1;
    }
    if (line.command == "query") return hostwin_reg::Query(line);
    if (line.command == "add") return hostwin_reg::Add(line);
    if (line.command == "delete") return hostwin_reg::Delete(line);
    if (line.command == "import") return hostwin_reg::Import(line);
    if (line.command == "export") return hostwin_reg::Export(line);
    std::fprintf(stderr, "ERROR: Unknown command \"%s\".\nType \"hostwin-reg /?\" for usage.\n",
                 arguments[0].c_str());
    return 1;
}
