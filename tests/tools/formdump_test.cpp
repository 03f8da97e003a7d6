// formdump: dump and compile give back the same bytes, malformed input gets
// a clear message, and the main form's JSON compiles to its 274 bytes.
#include "description.h"
#include "platform/win32.h"
#include "tests/framework/streaming/streaming_support.h"

#include <gtest/gtest.h>

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
    d.Path("I16").Raw({tgSigned16, 5, 0});  // wider than needed
    d.Path("I32")->WriteInteger(1 << 20);
    d.Path("I64")->WriteInt64(-5);
    d.Path("F80")->WriteFloat(0.1L);
    d.Path("Nan").Raw({tgFloat80, 1, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F});
    d.Path("F32")->WriteSingle(0.25f);
    d.Path("Cur")->WriteCurrency(-12345);
    d.Path("Date")->WriteDate(45000.75);
    d.Path("Short")->WriteText("\x83\x5C\x83\x74\x83\x67");  // ソフト
    d.Path("Long")->WriteText(std::string(300, 'L'));
    d.Path("Name")->WriteName("clRed");
    d.Path("Wide")->WriteWideText(std::u16string{u'a', 0xD800, u'"', u'\n'});
    const uint8_t blob[] = {0, 0xFF, 0x10};
    d.Path("Blob")->WriteBlob(blob);
    std::vector<std::string> members{"fsBold", "\x81"};  // a lone lead byte
    d.Path("Set")->WriteNameSet(members);
    d.Path("Bools")->WriteTag(tgValueList);
    d->WriteBoolean(false);
    d->WriteBoolean(true);
    d->WriteTag(tgNone);
    d->WriteTag(tgValueList);  // an empty inner list
    d->WriteListEnd();
    d->WriteListEnd();
    d.Path("Null")->WriteTag(tgEnd);
    d.Path("Items").Raw({tgItems, tgValueList, tgEnd, tgSigned32, 7, 0, 0, 0, tgValueList});
    d.Path("X")->WriteInteger(1);
    d.End().End();
    d.Path("Bad\x81")->WriteInteger(0);  // a lead byte without its trail byte
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
    EXPECT_EQ(property("Short").At("value").At("text").AsString(), u"\u30BD\u30D5\u30C8");
    EXPECT_EQ(property("Short").At("value").At("hex").AsString(), u"835c83748367");
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
    for (int level = 0; level <= levels; ++level) d.End();
    return d.Bytes();
}

// formdump takes descriptions exactly as deep as the reader does: 256 levels
// of nesting below the root, children and value lists together.
TEST(Formdump, NestsAsDeepAsTheReader) {
    std::vector<uint8_t> deepest = NestedChildren(TReader::MaxNesting, false);
    EXPECT_EQ(RoundTrip(deepest), deepest);
    EXPECT_EQ(MessageOf<EReadError>([] { DumpDescription(NestedChildren(TReader::MaxNesting + 1, false)); }),
              Text(SInvalidStreamFormat));
    EXPECT_EQ(MessageOf<EReadError>([] { DumpDescription(NestedChildren(TReader::MaxNesting, true)); }),
              Text(SInvalidStreamFormat));
    std::vector<uint8_t> listBelow = NestedChildren(TReader::MaxNesting - 1, true);
    EXPECT_EQ(RoundTrip(listBelow), listBelow);
    // The JSON of a list one level too deep is refused by the compiler as well.
    std::string json = DumpDescription(listBelow).Write();
    const std::string noChildren = "\"children\": []";
    size_t deepestChildren = json.rfind(noChildren);
    ASSERT_NE(deepestChildren, std::string::npos);
    json.replace(deepestChildren, noChildren.size(), R"("children": [{"class": "TChild", "name": "", "children": [],
        "properties": [{"path": "List", "tag": "tgValueList", "value": []}]}])");
    try {
        CompileDescription(ParseJson(json));
        ADD_FAILURE() << "a value list below 256 levels compiled";
    } catch (const JsonError& error) {
        EXPECT_NE(std::string(error.what()).find("values nested too deep"), std::string::npos) << error.what();
    }
}

TEST(Formdump, MalformedDescriptionsRaiseTheReadersErrors) {
    EXPECT_EQ(MessageOf<EReadError>([] { DumpDescription({'T', 'P', 'F', '0'}); }), Text(SReadError));
    EXPECT_EQ(MessageOf<EReadError>([] { DumpDescription({'X', 'P', 'F', '0', 0, 0, 0, 0}); }),
              Text(SInvalidStreamFormat));
    EXPECT_EQ(MessageOf<EReadError>([] { DumpDescription({'T', 'P', 'F', '0', 1, 'T', 0, 1, 'P', 0x14, 0, 0}); }),
              Text(SInvalidPropertyValue));
    std::vector<uint8_t> deep = {'T', 'P', 'F', '0', 1, 'T', 0, 1, 'P'};
    deep.insert(deep.end(), 5000, tgValueList);
    EXPECT_EQ(MessageOf<EReadError>([&] { DumpDescription(deep); }), Text(SInvalidStreamFormat));
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
    const std::string component = R"("prefix": null, "flags": 0, "position": null, "class": "T", "name": "", "children": [], )";
    auto withProperty = [&](const std::string& property) {
        return "{" + component + R"("properties": [)" + property + "]}";
    };
    EXPECT_EQ(errorOf("{\"a\": [1,\n 2"), "line 2, column 3: expected ']'");
    EXPECT_EQ(errorOf(R"({"a": 1, "a": 2})"), "line 1, column 13: member \"a\" given twice");
    EXPECT_EQ(errorOf(std::string(2000, '[')), "line 1, column 1042: nesting too deep");
    EXPECT_EQ(errorOf("\"\xC3\""), "line 1, column 2: malformed UTF-8");
    EXPECT_NE(errorOf("{}").find("missing \"class\""), std::string::npos);
    EXPECT_NE(errorOf(withProperty(R"({"path": "P", "tag": "tgSigned8", "value": 300})")).find("does not fit tgSigned8"),
              std::string::npos);
    EXPECT_NE(errorOf(withProperty(R"({"path": "P", "tag": "tgHuge", "value": 1})")).find("unknown tag"),
              std::string::npos);
    EXPECT_NE(errorOf(withProperty(R"({"path": "P", "tag": "tgFloat80", "value": 1, "hex": "00"})")).find("10 bytes"),
              std::string::npos);
    EXPECT_NE(errorOf(withProperty(R"({"path": "", "tag": "tgNone", "value": null})")).find("cannot be empty"),
              std::string::npos);
    EXPECT_NE(errorOf(withProperty(R"({"path": "P", "tag": "tgName", "value": {"text": "\u0100"}})")).find("Shift-JIS"),
              std::string::npos);
    EXPECT_NE(errorOf(withProperty(R"({"path": "P", "tag": "tgBoolTrue", "value": false})")).find("differs"),
              std::string::npos);
    // A class name long enough that its length byte would read as a prefix.
    const std::string longClass = R"({"flags": 0, "name": "", "children": [], "properties": [], "class": ")" +
                                  std::string(240, 'T') + "\"";
    EXPECT_NE(errorOf(longClass + "}").find("needs a \"prefix\""), std::string::npos);
    EXPECT_EQ(CompileDescription(ParseJson(longClass + R"(, "prefix": 240})")).at(4), 0xF0);
}

TEST(Formdump, MainFormJsonCompilesToTheEmbeddedDescription) {
    std::vector<uint8_t> compiled =
        CompileDescription(ParseJson(ReadText(std::string(SETUP_SOURCE_DIR) + "/resources/formmain.json")));
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
    while (size_t n = fread(buffer.data(), 1, buffer.size(), pipe)) output.append(buffer.data(), n);
    int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(Formdump, ProgramReportsTheReadersMessageInUtf8WithStatus1) {
    std::string prefix = testing::TempDir() + "formdump-" + std::to_string(getpid());
    std::ofstream(prefix + ".form", std::ios::binary) << "TPF0";
    auto [status, message] = RunFormdump(prefix + ".form");
    EXPECT_EQ(status, 1);
    EXPECT_EQ(message, "\xE3\x82\xB9\xE3\x83\x88\xE3\x83\xAA\xE3\x83\xBC\xE3\x83\xA0\xE3\x81\x8B\xE3\x82\x89"
                       "\xE3\x81\xAE\xE8\xAA\xAD\xE3\x81\xBF\xE8\xBE\xBC\xE3\x81\xBF\xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC\n");
    std::ofstream(prefix + ".json") << "{\"class\": ";
    auto [jsonStatus, jsonMessage] = RunFormdump("--compile " + prefix + ".json");
    EXPECT_EQ(jsonStatus, 1);
    EXPECT_NE(jsonMessage.find("unexpected end of the document"), std::string::npos);
    std::remove((prefix + ".form").c_str());
    std::remove((prefix + ".json").c_str());
}

}  // namespace
