// formdump: prints a form description as JSON, or compiles the JSON back.
// `formdump --help` explains both directions, the JSON and the exit statuses.
#include "description.h"
#include "files.h"
#include "runtime/exceptions.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char usage[] = "usage: formdump [--compile [--strict | --no-check]] FILE [--output OUT]\n"
                     "       formdump --resource NAME PROGRAM [--output OUT]\n"
                     "       formdump --help\n";

const char help[] =
    "formdump: form descriptions (the binary \"TPF0\" resources that forms are built\n"
    "from) as JSON, and JSON compiled back to a description.\n"
    "\n"
    "  formdump FILE                  print the description FILE as JSON\n"
    "  formdump --compile FILE.json   print the description that FILE.json describes\n"
    "  formdump --resource NAME PROGRAM\n"
    "                                 print the description NAME (an RCDATA resource, such as\n"
    "                                 TFORMMAIN) of a Windows program or language resource file\n"
    "    --output OUT                 write to OUT (replaced whole) instead of standard output\n"
    "    --strict                     with --compile: unknown class or property names are errors\n"
    "    --no-check                   with --compile: no check of names (descriptions of other "
    "programs)\n"
    "\n"
    "Dumping then compiling gives back the same bytes, whatever the reader can read\n"
    "or skip. The JSON of a component:\n"
    "\n"
    "  {\"prefix\": null, \"flags\": 0, \"position\": null,\n"
    "   \"class\": \"TFormMain\", \"name\": \"FormMain\",\n"
    "   \"properties\": [\n"
    "     {\"path\": \"Left\", \"tag\": \"tgSigned16\", \"value\": 192},\n"
    "     {\"path\": \"Caption\", \"tag\": \"tgShortText\", \"value\": {\"text\": \"Visible "
    "false\"}},\n"
    "     {\"path\": \"Font.Style\", \"tag\": \"tgNameSet\", \"value\": [\"fsBold\"]},\n"
    "     {\"path\": \"OnCreate\", \"tag\": \"tgName\", \"value\": {\"text\": \"FormCreate\"}}],\n"
    "   \"children\": [ ...components... ]}\n"
    "\n"
    "\"tag\" names how the value is stored (tgSigned8/16/32/64, tgFloat80, tgFloat32,\n"
    "tgFixed64, tgDateTime, tgShortText, tgLongText, tgWideText, tgName, tgNameSet,\n"
    "tgBoolFalse, tgBoolTrue, tgNone, tgEnd, tgValueList, tgItems, tgBlob); a byte\n"
    "the format does not name is written as its number (\"0x14\", \"0x87\"). Texts are\n"
    "Shift-JIS in the description and UTF-8 here. Edit \"text\": a dump writes\n"
    "{\"hex\": ...} instead only for bytes that are no Shift-JIS text; given both,\n"
    "they must agree. Floats carry \"hex\", their exact bytes, which compiling prefers:\n"
    "remove it when you change the number. \"<field>_hex\" keeps a name's exact bytes,\n"
    "\"<field>_tag\" an integer stored wider than it needs.\n"
    "\n"
    "Compiling checks class and property names against the classes the program\n"
    "knows (its form TFormMain and the framework's classes, with their published\n"
    "and custom properties) and warns on standard error, naming the line, about a\n"
    "name it does not know; a value a known property cannot take is an error.\n"
    "\n"
    "Exit status: 0 done; 1 the input is unreadable or malformed (one line on\n"
    "standard error: \"formdump: FILE: ...\", with the byte, component and property\n"
    "of a description's fault or the line of the JSON's); 2 a wrong command line.\n";

int Usage(const std::string& problem) {
    std::cerr << "formdump: " << problem << "\n" << usage;
    return 2;
}

// Writes the output: standard output, or a new file renamed over OUT so that
// a failed write leaves OUT as it was.
bool WriteOutput(const std::string& path, const std::string& contents, std::string& reason) {
    if (path.empty()) {
        std::cout.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        std::cout.flush();
        if (!std::cout) reason = "cannot write standard output";
        return static_cast<bool>(std::cout);
    }
    std::string temporary = path + ".new." + std::to_string(getpid());
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool written = fd >= 0;
    for (size_t done = 0; written && done < contents.size();) {
        ssize_t put = write(fd, contents.data() + done, contents.size() - done);
        written = put > 0;
        if (written) done += static_cast<size_t>(put);
    }
    if (fd >= 0 && close(fd) != 0) written = false;
    if (written && rename(temporary.c_str(), path.c_str()) == 0) return true;
    reason = "cannot write " + path + ": " + std::strerror(errno);
    unlink(temporary.c_str());
    return false;
}

bool LooksLikeDescription(const std::string& contents) {
    return contents.rfind("TPF0", 0) == 0;
}

} // namespace

int main(int argc, char** argv) {
    // Descriptions are Shift-JIS and so are the reader's messages: the host
    // machine of this tool runs with code page 932. formdump needs no drive
    // or registry: without a machine named, it uses a scratch one of its own
    // rather than making the user's default machine.
    setenv("HOSTWIN_ACP", "932", 1);
    const char* temporary = std::getenv("TMPDIR");
    std::string scratch = std::string(temporary && *temporary ? temporary : "/tmp") +
                          "/formdump-machine-" + std::to_string(getuid());
    setenv("HOSTWIN_PREFIX", scratch.c_str(), 0);

    bool compile = false;
    formdump::CompileChecks checks;
    checks.names = true;
    bool noCheck = false;
    std::string input, output, resource;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::cout << help;
            return 0;
        }
        if (argument == "--compile")
            compile = true;
        else if (argument == "--strict")
            checks.strict = true;
        else if (argument == "--no-check")
            noCheck = true;
        else if (argument == "--output" && i + 1 < argc)
            output = argv[++i];
        else if (argument == "--output")
            return Usage("--output needs a file name");
        else if (argument == "--resource" && i + 1 < argc)
            resource = argv[++i];
        else if (argument == "--resource")
            return Usage("--resource needs a resource name (such as TFORMMAIN)");
        else if (argument.rfind("--", 0) == 0)
            return Usage("unknown option " + argument);
        else if (input.empty())
            input = argument;
        else
            return Usage("one input file only (" + input + " and " + argument + " given)");
    }
    if (input.empty()) return Usage("no input file given");
    if ((checks.strict || noCheck) && !compile)
        return Usage("--strict and --no-check go with --compile");
    if (checks.strict && noCheck) return Usage("--strict and --no-check exclude each other");
    if (compile && !resource.empty()) return Usage("--resource and --compile exclude each other");
    checks.names = !noCheck;

    checks.warn = [&](const std::string& message) {
        std::cerr << "formdump: " << input << ": warning: " << message << "\n";
    };
    auto fail = [&](const std::string& message) {
        std::cerr << "formdump: " << input << ": " << message << "\n";
        return 1;
    };
    std::string contents, reason;
    if (!hostwin::ReadWholeFile(input, contents, reason))
        return fail("cannot read the file: " + reason);
    if (!compile) {
        std::string problem;
        auto description = formdump::DescriptionInProgram(contents, input, resource, problem);
        if (!problem.empty()) return fail(problem);
        if (description) contents = *description;
    }
    std::string result;
    try {
        if (compile) {
            if (LooksLikeDescription(contents))
                return fail("this is a form description, not JSON: dump it without --compile");
            std::vector<uint8_t> bytes =
                formdump::CompileDescription(formdump::ParseJson(contents), checks);
            result.assign(bytes.begin(), bytes.end());
        } else {
            result =
                formdump::DumpDescription(std::vector<uint8_t>(contents.begin(), contents.end()))
                    .Write();
        }
    } catch (const formdump::DumpError& error) {
        return fail(error.what());
    } catch (const formdump::JsonError& error) {
        return fail(error.what());
    } catch (const Exception& error) {
        return fail(formdump::ExplainReaderMessage(error.Message()));
    } catch (const std::exception& error) {
        return fail(std::string("cannot be processed: ") + error.what());
    }
    if (!WriteOutput(output, result, reason)) return fail(reason);
    return 0;
}
