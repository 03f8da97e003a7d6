// hostwin-ask: what the host build's own code answers about a command line,
// a program file and the host machine, as JSON lines, for the medium tools.
#include "ask.h"

#include "json_object.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

const char kUsage[] =
    "Usage: hostwin-ask QUESTION ...   (the machine is $HOSTWIN_PREFIX)\n"
    "\n"
    "  hostwin-ask program [--program-folder DIR] [--current-folder DIR] COMMAND_LINE\n"
    "      the program CreateProcessA would start for the command line (UTF-8; it\n"
    "      is converted to the machine's ANSI code page), looked up as the host\n"
    "      does for a program in the folder DIR (default: this tool's folder) whose\n"
    "      current folder is the other DIR (default: the current one); a DIR is a\n"
    "      Windows path, or a POSIX path when it begins with a slash:\n"
    "      {\"found\": true|false, \"windows\": ..., \"posix\": ..., \"arguments\": ...,\n"
    "       \"tried\": [{\"windows\": ..., \"posix\": ...|null, \"exe_appended\": ...,\n"
    "                  \"arguments\": ...}]}: every place the lookup tries, in order\n"
    "  hostwin-ask pe FILE [--data]\n"
    "      the file's machine and bitness and its resources: {\"pe\": false} for a\n"
    "      file without an MS-DOS and PE header, else {\"pe\": true, \"machine\": N,\n"
    "      \"bits\": 32|64|null, \"resources\": [{\"type\": N|\"NAME\", \"name\": N|\"NAME\",\n"
    "      \"language\": N, \"size\": N}] or null when the resource directory is malformed};\n"
    "      with --data each resource also carries its bytes as \"hex\"\n"
    "  hostwin-ask layout FILE\n"
    "      the medium layout record a build of the launcher carries (any build: ELF or\n"
    "      PE): {\"product_key_prefix\": ..., \"user_data_key\": ..., \"japanese_folder\":\n"
    "      ..., \"english_folder\": ...}; status 1 when the file carries none\n"
    "  hostwin-ask locales\n"
    "      one line per locale the machine knows: {\"lcid\": N, \"abbreviation\": \"JPN\",\n"
    "      \"code_page\": N}\n"
    "\n"
    "Without HOSTWIN_PREFIX, the machine is a scratch one in $TMPDIR (or /tmp).\n"
    "Texts are UTF-8. Exit status: 0 answered, 1 no answer (a message on standard\n"
    "error), 2 wrong command line.\n";

} // namespace

namespace hostwin_ask {

int Fail(const std::string& message) {
    std::fprintf(stderr, "hostwin-ask: %s\n", message.c_str());
    return 1;
}

bool ReadFile(const std::string& path, std::vector<unsigned char>& bytes, std::string& reason) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        reason = std::strerror(errno);
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) {
        reason = "read error";
        return false;
    }
    return true;
}

} // namespace hostwin_ask

int main(int argc, char** argv) {
    // Without a machine named, a scratch one of the tool's own: a question
    // must not make the user's default machine.
    const char* temporary = std::getenv("TMPDIR");
    std::string scratch = std::string(temporary && *temporary ? temporary : "/tmp") +
                          "/hostwin-ask-machine-" + std::to_string(getuid());
    setenv("HOSTWIN_PREFIX", scratch.c_str(), 0);
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty() || arguments[0] == "--help" || arguments[0] == "-h") {
        std::fputs(kUsage, arguments.empty() ? stderr : stdout);
        return arguments.empty() ? 2 : 0;
    }
    const std::string question = arguments[0];
    arguments.erase(arguments.begin());
    if (question == "program") return hostwin_ask::AskProgram(arguments);
    if (question == "pe") return hostwin_ask::AskPe(arguments);
    if (question == "layout") return hostwin_ask::AskLayout(arguments);
    if (question == "locales") return hostwin_ask::AskLocales(arguments);
    std::fprintf(stderr, "hostwin-ask: unknown question \"%s\" (see hostwin-ask --help)\n",
                 question.c_str());
    return 2;
}
