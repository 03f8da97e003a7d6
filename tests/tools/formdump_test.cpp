// formdump: dump and compile give back the same bytes, malformed input gets
// a clear message, and the main form's JSON compiles to its 274 bytes.
#include "description.h"
#include "platform/win32.h"
#include "tests/framework/streaming/streaming_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

namespace {

using formdump::CompileDescription;
using formdump::DumpDescription;
using formdump::Json;
using formdump::JsonError;
using formdump::ParseJson;

// The message of the DumpError that dumping the bytes raises.
std::string DumpErrorOf(const std::vector<uint8_t>& bytes) {
    try {
        DumpDescription(bytes);
    } catch (const formdump::DumpError& error) {
        return error.what();
    }
    return "dumped";
}

std::vector<uint8_t> RoundTrip(const std::vector<uint8_t>& bytes) {
    return CompileDescription(ParseJson(DumpDescription(bytes).Write()));
}

std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// A description with every tag, prefixes, wide tags and names that Shift-JIS
// text cannot carry through UTF-8.
std::vector<uint8_t> EveryTag() {
    TDescription d;
    d->WriteSignature();
    d->WriteHeader("TRoot", "Root");
    d.Path("I8")->WriteInteger(-12);
    d.Path("I16").Raw({tgSigned16, 5, 0}); // wider than needed
    d.Path("I32")->WriteInteger(1 << 20);
    d.Path("I64")->WriteInt64(-5);
    d.Path("F80")->WriteFloat(0.1L);
    d.Path("Nan").Raw({tgFloat80, 1, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F});
    d.Path("F32")->WriteSingle(0.25f);
    d.Path("Cur")->WriteCurrency(-12345);
    d.Path("Date")->WriteDate(45000.75);
    d.Path("Short")->WriteText("\x83\x5C\x83\x74\x83\x67"); // ソフト
    d.Path("Long")->WriteText(std::string(300, 'L'));
    d.Path("Name")->WriteName("clRed");
    d.Path("Wide")->WriteWideText(std::u16string{u'a', 0xD800, u'"', u'\n'});
    const uint8_t blob[] = {0, 0xFF, 0x10};
    d.Path("Blob")->WriteBlob(blob);
    std::vector<std::string> members{"fsBold", "\x81"}; // a lone lead byte
    d.Path("Set")->WriteNameSet(members);
    d.Path("Bools")->WriteTag(tgValueList);
    d->WriteBoolean(false);
    d->WriteBoolean(true);
    d->WriteTag(tgNone);
    d->WriteTag(tgValueList); // an empty inner list
    d->WriteListEnd();
    d->WriteListEnd();
    d.Path("Null")->WriteTag(tgEnd);
    d.Path("Items").Raw({tgItems, tgValueList, tgEnd, tgSigned32, 7, 0, 0, 0, tgValueList});
    d.Path("X")->WriteInteger(1);
    d.End().End();
    d.Path("Bad\x81")->WriteInteger(0); // a lead byte without its trail byte
    d.End();
    d->WriteHeader("TChild", "Kid", pfHasPosition | pfEmbedded, 2);
    d.End().End();
    d.Raw({0xF0});
    d->WriteHeader("TChild", "Plain");
    d.End().End();
    d.End();
    return d.Bytes();
}

TEST(Formdump, DumpThenCompileGivesBackTheSameBytes) {
    EXPECT_EQ(RoundTrip(FormMainBytes), FormMainBytes);
    std::vector<uint8_t> every = EveryTag();
    EXPECT_EQ(RoundTrip(every), every);
    for (const char* seed : {"sink.form", "children.form"}) {
        std::string text = ReadText(std::string(SETUP_SOURCE_DIR) + "/fuzz/corpus/reader/" + seed);
        std::vector<uint8_t> bytes(text.begin(), text.end());
        ASSERT_FALSE(bytes.empty()) << seed;
        EXPECT_EQ(RoundTrip(bytes), bytes) << seed;
    }
}

TEST(Formdump, JsonShowsValuesByTag) {
    Json root = DumpDescription(EveryTag());
    EXPECT_TRUE(root.At("prefix").IsNull());
    EXPECT_EQ(root.At("class").AsString(), u"TRoot");
    const auto& properties = root.At("properties").AsArray();
    auto property = [&](std::string_view path) -> const Json& {
        for (const Json& p : properties)
            if (formdump::Utf16ToUtf8(p.At("path").AsString()) == path) return p;
        throw JsonError("no property " + std::string(path));
    };
    EXPECT_EQ(property("I16").At("tag").AsString(), u"tgSigned16");
    EXPECT_EQ(property("I16").At("value").AsInteger(), 5);
    EXPECT_EQ(property("Cur").At("value").AsInteger(), -12345);
    EXPECT_EQ(property("F32").At("value").AsDouble(), 0.25);
    EXPECT_EQ(property("F32").At("hex").AsString(), u"0000803e");
    EXPECT_TRUE(property("Nan").At("value").IsNull());
    // A text is given as text; only bytes that are no Shift-JIS text as hex.
    EXPECT_EQ(property("Short").At("value").At("text").AsString(), u"\u30BD\u30D5\u30C8");
    EXPECT_EQ(property("Short").At("value").Find("hex"), nullptr);
    EXPECT_EQ(property("Set").At("value").AsArray()[1].At("hex").AsString(), u"81");
    EXPECT_EQ(property("Set").At("value").AsArray()[1].Find("text"), nullptr);
    EXPECT_EQ(property("Wide").At("value").AsString(), (std::u16string{u'a', 0xD800, u'"', u'\n'}));
    EXPECT_FALSE(property("Bools").At("value").AsArray()[0].At("value").AsBool());
    EXPECT_TRUE(property("Bools").At("value").AsArray()[2].At("value").IsNull());
    EXPECT_EQ(property("Items").At("value").AsArray()[1].At("order").AsInteger(), 7);
    EXPECT_TRUE(property("Null").At("value").IsNull());
    EXPECT_EQ(properties.back().At("path_hex").AsString(), u"42616481");
}

TEST(Formdump, ChildrenCarryTheirPrefixAndPosition) {
    Json root = DumpDescription(EveryTag());
    const auto& children = root.At("children").AsArray();
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[0].At("prefix").AsInteger(), 0xF6);
    EXPECT_EQ(children[0].At("flags").AsInteger(), 6);
    EXPECT_EQ(children[0].At("position").AsInteger(), 2);
    EXPECT_EQ(children[1].At("prefix").AsInteger(), 0xF0);
    EXPECT_TRUE(children[1].At("position").IsNull());
}

// A root with children nested levels deep, the deepest with a value list
// property when asked.
std::vector<uint8_t> NestedChildren(int levels, bool listInDeepest) {
    TDescription d;
    d.Root("TRoot", "Root").End();
    for (int level = 1; level <= levels; ++level) {
        d->WriteHeader("TChild", "");
        if (level == levels && listInDeepest) d.Path("List").Raw({tgValueList, tgEnd});
        d.End();
    }
    for (int level = 0; level <= levels; ++level)
        d.End();
    return d.Bytes();
}

// formdump takes descriptions exactly as deep as the reader does: 256 levels
// of nesting below the root, children and value lists together.
TEST(Formdump, NestsAsDeepAsTheReader) {
    std::vector<uint8_t> deepest = NestedChildren(TReader::MaxNesting, false);
    EXPECT_EQ(RoundTrip(deepest), deepest);
    EXPECT_NE(
        DumpErrorOf(NestedChildren(TReader::MaxNesting + 1, false)).find("reader message 65528"),
        std::string::npos);
    EXPECT_NE(DumpErrorOf(NestedChildren(TReader::MaxNesting, true)).find("reader message 65528"),
              std::string::npos);
    std::vector<uint8_t> listBelow = NestedChildren(TReader::MaxNesting - 1, true);
    EXPECT_EQ(RoundTrip(listBelow), listBelow);
    // The JSON of a list one level too deep is refused by the compiler as well.
    std::string json = DumpDescription(listBelow).Write();
    const std::string noChildren = "\"children\": []";
    size_t deepestChildren = json.rfind(noChildren);
    ASSERT_NE(deepestChildren, std::string::npos);
    json.replace(deepestChildren, noChildren.size(),
                 R"("children": [{"class": "TChild", "name": "", "children": [],
        "properties": [{"path": "List", "tag": "tgValueList", "value": []}]}])");
    try {
        CompileDescription(ParseJson(json));
        ADD_FAILURE() << "a value list below 256 levels compiled";
    } catch (const JsonError& error) {
        EXPECT_NE(std::string(error.what()).find("values nested too deep"), std::string::npos)
            << error.what();
    }
}

TEST(Formdump, DumpErrorsSayWhatAndWhere) {
    const std::string readError =
        "reader message 65523 (the description ends before the item is complete): " +
        formdump::Utf16ToUtf8(formdump::ShiftJisToUtf16(Text(SReadError)));
    EXPECT_EQ(DumpErrorOf({'T', 'P', 'F', '0'}), "byte 4: " + readError);
    EXPECT_EQ(DumpErrorOf({}), "byte 0: " + readError + "; the file is empty");
    EXPECT_NE(DumpErrorOf({'X', 'P', 'F', '0', 0, 0, 0, 0}).find("byte 0: reader message 65528"),
              std::string::npos);
    std::vector<uint8_t> json = {'{', '\n', ' ', ' ', '"'};
    EXPECT_NE(DumpErrorOf(json).find("it looks like JSON: compile it with --compile"),
              std::string::npos);
    // Cut inside "Color"'s value, inside "Font.Name"'s text and before the children's end.
    auto cut = [](size_t size) {
        return std::vector<uint8_t>(FormMainBytes.begin(), FormMainBytes.begin() + size);
    };
    EXPECT_EQ(DumpErrorOf(cut(90)),
              "byte 85, component FormMain, property \"Color\": " + readError);
    EXPECT_EQ(DumpErrorOf(cut(180)),
              "byte 176, component FormMain, property \"Font.Name\": " + readError);
    EXPECT_EQ(DumpErrorOf(cut(273)), "byte 273, component FormMain: " + readError);
    // A child's path, and the value of a property inside it.
    TDescription d;
    d.Root("TRoot", "Root").End();
    d->WriteHeader("TChild", "Kid");
    d.Path("Items").Raw({tgItems, tgValueList});
    d.Path("Inner").Raw({tgSigned32, 1});
    EXPECT_EQ(DumpErrorOf(d.Bytes()),
              "byte 41, component Root.Kid, property \"Inner\": " + readError);
    std::vector<uint8_t> deep = {'T', 'P', 'F', '0', 1, 'T', 0, 1, 'P'};
    deep.insert(deep.end(), 5000, tgValueList);
    EXPECT_NE(DumpErrorOf(deep).find("component T, property \"P\": reader message 65528"),
              std::string::npos);
}

// Tags the format does not name (0x14 to 0x7F, alone) and tags with the high
// bit set (their low seven bits' payload): the reader skips them, and a name
// read from a high-bit name tag is a name.
TEST(Formdump, TagsTheReaderSkipsDumpAndCompileBack) {
    TDescription d;
    d.Root("TRoot", "Root");
    d.Path("Unnamed").Raw({0x14});
    d.Path("Last").Raw({0x7F});
    d.Path("HighUnnamed").Raw({0xC0});
    d.Path("Enum").Raw({0x80 | tgName, 4, 'b', 's', 'N', 'o'});
    d.Path("Int").Raw({0x80 | tgSigned16, 0x34, 0x12});
    d.Path("Text").Raw({0x80 | tgLongText, 2, 0, 0, 0, 'h', 'i'});
    d.Path("Null").Raw({0x80});
    d.Path("List").Raw({tgValueList, 0x33, 0x80 | tgBoolTrue, tgEnd});
    d.Path("Items").Raw({tgItems, tgSigned8, 3, 0x55, 1, 'X', tgSigned8, 1, tgEnd, tgEnd});
    d.End().End();
    std::vector<uint8_t> bytes = d.Bytes();
    // The reader skips the whole record.
    TMemoryStream stream(bytes);
    TReader reader(stream, TReader::DefaultChunkSize);
    reader.CheckMagic();
    reader.SkipComponentRecord(true);
    EXPECT_EQ(reader.StreamOffset(), static_cast<int32_t>(bytes.size()));

    EXPECT_EQ(RoundTrip(bytes), bytes);
    Json root = DumpDescription(bytes);
    const auto& properties = root.At("properties").AsArray();
    EXPECT_EQ(properties[0].At("tag").AsString(), u"0x14");
    EXPECT_TRUE(properties[0].At("value").IsNull());
    EXPECT_EQ(properties[2].At("tag").AsString(), u"0xc0");
    EXPECT_EQ(properties[3].At("tag").AsString(), u"0x87");
    EXPECT_EQ(properties[3].At("value").At("text").AsString(), u"bsNo");
    EXPECT_EQ(properties[4].At("value").AsInteger(), 0x1234);
    EXPECT_EQ(properties[8].At("value").AsArray()[0].At("opening").AsString(), u"0x55");
    // Written by hand with a number as its tag.
    std::string json = R"({"class": "T", "name": "", "children": [], "properties": [
        {"path": "P", "tag": 20, "value": null}, {"path": "Q", "tag": "0x89", "value": true}]})";
    std::vector<uint8_t> compiled = CompileDescription(ParseJson(json));
    EXPECT_EQ(std::vector<uint8_t>(compiled.begin() + 7, compiled.end()),
              (std::vector<uint8_t>{1, 'P', 0x14, 1, 'Q', 0x89, 0, 0}));
}

TEST(Formdump, MalformedJsonIsRejectedWithWhereAndWhat) {
    auto errorOf = [](const std::string& text) -> std::string {
        try {
            CompileDescription(ParseJson(text));
        } catch (const JsonError& error) {
            return error.what();
        }
        return "accepted";
    };
    const std::string component =
        R"("prefix": null, "flags": 0, "position": null, "class": "T", "name": "", "children": [], )";
    auto withProperty = [&](const std::string& property) {
        return "{" + component + R"("properties": [)" + property + "]}";
    };
    EXPECT_EQ(errorOf("{\"a\": [1,\n 2"), "line 2, column 3: expected ']'");
    EXPECT_EQ(errorOf(R"({"a": 1, "a": 2})"), "line 1, column 13: member \"a\" given twice");
    EXPECT_EQ(errorOf(std::string(2000, '[')), "line 1, column 1042: nesting too deep");
    EXPECT_EQ(errorOf("\"\xC3\""), "line 1, column 2: malformed UTF-8");
    EXPECT_NE(errorOf("{}").find("missing \"class\""), std::string::npos);
    EXPECT_NE(errorOf(withProperty(R"({"path": "P", "tag": "tgSigned8", "value": 300})"))
                  .find("does not fit tgSigned8"),
              std::string::npos);
    EXPECT_NE(
        errorOf(withProperty(R"({"path": "P", "tag": "tgHuge", "value": 1})")).find("unknown tag"),
        std::string::npos);
    EXPECT_NE(errorOf(withProperty(R"({"path": "P", "tag": "tgFloat80", "value": 1, "hex": "00"})"))
                  .find("10 bytes"),
              std::string::npos);
    EXPECT_NE(errorOf(withProperty(R"({"path": "", "tag": "tgNone", "value": null})"))
                  .find("cannot be empty"),
              std::string::npos);
    EXPECT_NE(
        errorOf(withProperty(R"({"path": "P", "tag": "tgName", "value": {"text": "\u0100"}})"))
            .find("Shift-JIS"),
        std::string::npos);
    EXPECT_NE(errorOf(withProperty(R"({"path": "P", "tag": "tgBoolTrue", "value": false})"))
                  .find("differs"),
              std::string::npos);
    // A class name long enough that its length byte would read as a prefix.
    const std::string longClass =
        R"({"flags": 0, "name": "", "children": [], "properties": [], "class": ")" +
        std::string(240, 'T') + "\"";
    EXPECT_NE(errorOf(longClass + "}").find("needs a \"prefix\""), std::string::npos);
    EXPECT_EQ(CompileDescription(ParseJson(longClass + R"(, "prefix": 240})")).at(4), 0xF0);
}

TEST(Formdump, MainFormJsonCompilesToTheEmbeddedDescription) {
    std::vector<uint8_t> compiled = CompileDescription(
        ParseJson(ReadText(std::string(SETUP_SOURCE_DIR) + "/resources/formmain.json")));
    EXPECT_EQ(compiled, FormMainBytes);

    HRSRC info = FindResourceA(nullptr, "TFormMain", MAKEINTRESOURCEA(10));
    ASSERT_NE(info, nullptr);
    HGLOBAL loaded = LoadResource(nullptr, info);
    ASSERT_NE(loaded, nullptr);
    auto* bytes = static_cast<const uint8_t*>(LockResource(loaded));
    std::vector<uint8_t> embedded(bytes, bytes + SizeofResource(nullptr, info));
    EXPECT_EQ(embedded, FormMainBytes);
}

// Runs formdump with arguments; returns its exit status and standard error.
std::pair<int, std::string> RunFormdump(const std::string& arguments) {
    std::string command = std::string(FORMDUMP_PATH) + " " + arguments + " 2>&1 >/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    std::array<char, 256> buffer;
    while (size_t n = fread(buffer.data(), 1, buffer.size(), pipe))
        output.append(buffer.data(), n);
    int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// Every failure of the program is one line "formdump: FILE: ..." with status
// 1 (2 for a wrong command line); nothing aborts.
TEST(Formdump, ProgramNeverAbortsAndSaysWhichFileFailed) {
    std::string prefix = testing::TempDir() + "formdump-" + std::to_string(getpid());
    std::ofstream(prefix + ".form", std::ios::binary) << "TPF0";
    std::ofstream(prefix + ".empty", std::ios::binary);
    std::ofstream(prefix + ".json") << "{\"class\": ";
    std::ofstream(prefix + ".tpf", std::ios::binary)
        .write(reinterpret_cast<const char*>(FormMainBytes.data()), 100);
    const std::string library = std::string(TEST_PE_DIR) + "/language_full.dll";
    const struct {
        std::string arguments;
        std::string message;
    } cases[] = {
        {prefix + ".form",
         prefix + ".form: byte 4: reader message 65523 (the description ends before the item is "
                  "complete): \xE3\x82\xB9\xE3\x83\x88\xE3\x83\xAA\xE3\x83\xBC\xE3\x83\xA0"
                  "\xE3\x81\x8B\xE3\x82\x89\xE3\x81\xAE\xE8\xAA\xAD\xE3\x81\xBF\xE8\xBE\xBC"
                  "\xE3\x81\xBF\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC\n"},
        {prefix + ".empty", "the file is empty\n"},
        {prefix + ".tpf", "byte 96, component FormMain: reader message 65523"},
        {testing::TempDir(), testing::TempDir() + ": cannot read the file: Is a directory\n"},
        {prefix + ".missing", ": cannot read the file: No such file or directory\n"},
        {prefix + ".json", "it looks like JSON: compile it with --compile\n"},
        {"--compile " + prefix + ".json",
         prefix + ".json: line 1, column 11: unexpected end of the document\n"},
        {"--compile " + prefix + ".tpf",
         "this is a form description, not JSON: dump it without --compile\n"},
        // A program: where its descriptions are and how to dump them.
        {FORMDUMP_PATH, "a program of this system (ELF), not a form description"},
        {library, "its form descriptions are its RCDATA resources (TFORMMAIN); dump one with: "
                  "formdump --resource TFORMMAIN " +
                      library + "\n"},
        {"--resource OTHER " + library, "has no RCDATA resource OTHER (it has TFORMMAIN)\n"},
    };
    for (const auto& test : cases) {
        auto [status, message] = RunFormdump(test.arguments);
        EXPECT_EQ(status, 1) << test.arguments;
        EXPECT_EQ(message.rfind("formdump: ", 0), 0u) << message;
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
        EXPECT_NE(message.find(test.message), std::string::npos) << message;
    }
    for (const char* wrong : {"", "--compile", "a b", "--frob x", "--strict x", "--output",
                              "--resource", "--compile --resource TFORMMAIN x.json"})
        EXPECT_EQ(RunFormdump(wrong).first, 2) << wrong;
    EXPECT_EQ(RunFormdump("--resource tformmain " + library).first, 0);
    FILE* help = popen((std::string(FORMDUMP_PATH) + " --help").c_str(), "r");
    std::string helpText;
    std::array<char, 256> buffer;
    while (size_t n = fread(buffer.data(), 1, buffer.size(), help))
        helpText.append(buffer.data(), n);
    EXPECT_EQ(pclose(help), 0);
    for (const char* part : {"--compile", "\"properties\"", "Exit status", "--strict"})
        EXPECT_NE(helpText.find(part), std::string::npos) << part;
    for (const char* suffix : {".form", ".empty", ".json", ".tpf"})
        std::remove((prefix + suffix).c_str());
}

// A text's "text" and "hex" never disagree silently: either alone is enough.
TEST(Formdump, TextAndHexMustAgree) {
    auto compile = [](const std::string& value) {
        return CompileDescription(
            ParseJson(R"({"class": "T", "name": "", "children": [], "properties": [
            {"path": "Caption", "tag": "tgShortText", "value": )" +
                      value + "}]}"));
    };
    std::vector<uint8_t> byText = compile(R"({"text": "ab"})");
    EXPECT_EQ(compile(R"({"hex": "6162"})"), byText);
    EXPECT_EQ(compile(R"({"text": "ab", "hex": "6162"})"), byText);
    try {
        compile(R"({"text": "edited",
            "hex": "6162"})");
        ADD_FAILURE() << "a text that differs from its hex compiled";
    } catch (const JsonError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "component \"\": property \"Caption\": line 2: \"text\" and \"hex\" "
                  "differ; edit \"text\" and remove \"hex\" (or give one of them)");
    }
}

// Names are checked against the program's classes: unknown ones warn (or
// fail with --strict), values a known property cannot take fail.
TEST(Formdump, CompilingChecksNamesAgainstTheProgramsClasses) {
    const std::string form = ReadText(std::string(SETUP_SOURCE_DIR) + "/resources/formmain.json");
    auto edited = [&](const std::string& from, const std::string& to) {
        std::string text = form;
        size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    std::vector<std::string> warnings;
    formdump::CompileChecks checks;
    checks.names = true;
    checks.warn = [&](const std::string& warning) { warnings.push_back(warning); };
    // The program's own form: published and custom properties, no warning.
    EXPECT_EQ(CompileDescription(ParseJson(form), checks), FormMainBytes);
    EXPECT_TRUE(warnings.empty()) << warnings[0];

    CompileDescription(ParseJson(edited("\"Caption\"", "\"Captoin\"")), checks);
    CompileDescription(ParseJson(edited("\"TFormMain\"", "\"TFormMian\"")), checks);
    CompileDescription(ParseJson(edited("\"Font.Color\"", "\"Fnot.Color\"")), checks);
    CompileDescription(
        ParseJson(edited("\"children\": []", R"("children": [{"class": "TButton", "name": "B",
        "children": [], "properties": []}])")),
        checks);
    ASSERT_EQ(warnings.size(), 4u);
    EXPECT_EQ(warnings[0], "line 12: \"Captoin\" is no property of TFormMain");
    EXPECT_EQ(warnings[1],
              "line 5: class \"TFormMian\" is no form class of the program (TFormMain)");
    EXPECT_EQ(warnings[2], "line 15: \"Fnot\" in \"Fnot.Color\" is no property of TFormMain");
    EXPECT_NE(warnings[3].find(
                  "line 24: class \"TButton\" is neither registered nor the class of a field of "
                  "TFormMain"),
              std::string::npos)
        << warnings[3];

    checks.strict = true;
    auto errorOf = [&](const std::string& text) -> std::string {
        try {
            CompileDescription(ParseJson(text), checks);
        } catch (const JsonError& error) {
            return error.what();
        }
        return "accepted";
    };
    EXPECT_NE(errorOf(edited("\"Caption\"", "\"Captoin\""))
                  .find("is no property of TFormMain (--strict)"),
              std::string::npos);
    const struct {
        std::string from, to, message;
    } wrongValues[] = {
        {R"("tag": "tgSigned16", "value": 192)",
         R"("tag": "tgShortText", "value": {"text": "192"})",
         "line 8: the property is of kind integer (Integer) and takes no value of tag tgShortText"},
        {R"("clBtnFace")", R"("clBtnFac")", "\"clBtnFac\" is no identifier of TColor"},
        {R"("FormCreate")", R"("FormCrate")", "TFormMain publishes no method \"FormCrate\""},
        {R"("value": []})", R"("value": ["fsBlod"]})", "\"fsBlod\" is no member of TFontStyles"},
        {R"("tgBoolFalse", "value": false)", R"("tgName", "value": {"text": "Maybe"})",
         "\"Maybe\" is no member of Boolean"},
        {R"("tag": "tgSigned8", "value": -12)", R"("tag": "tgSigned64", "value": -12)",
         "takes no value of tag tgSigned64"},
    };
    for (const auto& wrong : wrongValues) {
        std::string message = errorOf(edited(wrong.from, wrong.to));
        EXPECT_NE(message.find(wrong.message), std::string::npos) << message;
        checks.strict = false;
        EXPECT_NE(errorOf(edited(wrong.from, wrong.to)), "accepted") << wrong.to;
        checks.strict = true;
    }
}

} // namespace
