#include "fuzz/formdump_entry.h"

#include "description.h"
#include "fuzz/fuzz_input.h"
#include "runtime/exceptions.h"

#include <cstdlib>
#include <string>

using namespace formdump;

namespace {

void Check(bool holds, const std::string& what) {
    if (!holds) FuzzFailure("formdump", what);
}

// The text of a document parses back to a document with the same text.
void CheckJsonRoundTrip(const Json& document) {
    std::string written = document.Write();
    try {
        Check(ParseJson(written).Write() == written,
              "a written document reads back differently:\n" + written);
    } catch (const JsonError& error) {
        FuzzFailure("formdump",
                    std::string("a written document is refused: ") + error.what() + "\n" + written);
    }
}

} // namespace

void FuzzFormdumpInput(const uint8_t* data, size_t size) {
    // formdump runs its machine with code page 932: descriptions and the reader's messages are
    // Shift-JIS.
    static const bool japanese = setenv("HOSTWIN_ACP", "932", 0) == 0;
    (void)japanese;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    Json document;
    std::vector<uint8_t> bytes;
    try {
        document = ParseJson(text);
    } catch (const JsonError&) {
        return; // a malformed document: refused with its line and column
    }
    CheckJsonRoundTrip(document);
    try {
        bytes = CompileDescription(document);
    } catch (const JsonError&) {
        return; // a document of the wrong shape, refused with the component and property it names
    }
    // What compiles is a description that reads as the document says.
    std::string dumped;
    try {
        dumped = DumpDescription(bytes).Write();
    } catch (const DumpError& error) {
        FuzzFailure("formdump",
                    std::string("a compiled description does not dump: ") + error.what());
    }
    try {
        Check(CompileDescription(ParseJson(dumped)) == bytes,
              "the dump compiles to other bytes:\n" + dumped);
    } catch (const JsonError& error) {
        FuzzFailure("formdump",
                    std::string("the dump does not compile: ") + error.what() + "\n" + dumped);
    }
}
