// formdump: prints a form description as JSON, or compiles the JSON back.
//
//   formdump FILE                        the description FILE as JSON
//   formdump --compile FILE.json         the description that FILE.json describes
//   ... [--output OUT]                   write to OUT instead of standard output
//
// Malformed input: the reader's message (or the JSON fault) on standard
// error, in UTF-8, and exit status 1.
#include "description.h"
#include "runtime/exceptions.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

int Usage() {
    std::cerr << "usage: formdump [--compile] FILE [--output OUT]\n";
    return 2;
}

bool ReadFile(const std::string& path, std::string& contents) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    contents.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

bool WriteOutput(const std::string& path, const std::string& contents) {
    if (path.empty()) {
        std::cout.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        std::cout.flush();
        return static_cast<bool>(std::cout);
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    file.close();
    return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    // Descriptions are Shift-JIS and so are the reader's messages: the host
    // machine of this tool runs with code page 932.
    setenv("HOSTWIN_ACP", "932", 1);

    bool compile = false;
    std::string input, output;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--compile") compile = true;
        else if (argument == "--output" && i + 1 < argc) output = argv[++i];
        else if (input.empty() && argument.rfind("--", 0) != 0) input = argument;
        else return Usage();
    }
    if (input.empty()) return Usage();

    std::string contents;
    if (!ReadFile(input, contents)) {
        std::cerr << "formdump: cannot read " << input << "\n";
        return 1;
    }
    std::string result;
    try {
        if (compile) {
            std::vector<uint8_t> bytes = formdump::CompileDescription(formdump::ParseJson(contents));
            result.assign(bytes.begin(), bytes.end());
        } else {
            result = formdump::DumpDescription(std::vector<uint8_t>(contents.begin(), contents.end())).Write();
        }
    } catch (const Exception& error) {
        std::cerr << formdump::Utf16ToUtf8(formdump::ShiftJisToUtf16(error.Message())) << "\n";
        return 1;
    } catch (const formdump::JsonError& error) {
        std::cerr << "formdump: " << input << ": " << error.what() << "\n";
        return 1;
    }
    if (!WriteOutput(output, result)) {
        std::cerr << "formdump: cannot write " << (output.empty() ? "standard output" : output) << "\n";
        return 1;
    }
    return 0;
}
