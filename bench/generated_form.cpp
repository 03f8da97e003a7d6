#include "bench/generated_form.h"

#include "framework/controls/graphics.h"
#include "framework/streaming/registries.h"
#include "framework/streaming/stream.h"
#include "framework/streaming/writer.h"
#include "fuzz/sample_classes.h"
#include "runtime/format.h"

#include <string>

constinit const TClass TBenchGroup::ClassInfo =
    MakeClass<TBenchGroup>("TBenchGroup", &TComponent::ClassInfo);

namespace {

size_t componentCount = 0;

// Starts a property record; the value follows.
TWriter& Path(TWriter& w, std::string_view path) {
    w.WritePropertyPath(path);
    return w;
}

// "ＭＳ Ｐゴシック" in Shift-JIS, the main form's font.
const std::string kFontName = "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";

void WriteRootProperties(TWriter& w) {
    Path(w, "Left").WriteInteger(192);
    Path(w, "Top").WriteInteger(107);
    Path(w, "Width").WriteInteger(1024);
    Path(w, "Height").WriteInteger(768);
    Path(w, "Caption").WriteText("Generated form");
    Path(w, "Color").WriteName("clBtnFace");
    Path(w, "Font.Charset").WriteName("SHIFTJIS_CHARSET");
    Path(w, "Font.Color").WriteName("clWindowText");
    Path(w, "Font.Height").WriteInteger(-12);
    Path(w, "Font.Name").WriteText(kFontName);
    Path(w, "Font.Style").WriteNameSet({});
    Path(w, "OldCreateOrder").WriteBoolean(false);
    Path(w, "OnCreate").WriteName("FormCreate");
    Path(w, "PixelsPerInch").WriteInteger(96);
    Path(w, "TextHeight").WriteInteger(12);
}

// One component with a property of every kind; partner names a component
// read earlier (its path from the root), which the references resolve to.
void WriteComponent(TWriter& w, int index, const std::string& name, const std::string& partner) {
    w.WriteHeader("TSampleSink", name);
    Path(w, "Number").WriteInteger(-70000 - index);
    Path(w, "Word").WriteInteger(index & 0xFFFF);
    Path(w, "Charset").WriteName("SHIFTJIS_CHARSET");
    Path(w, "Cursor").WriteName("crHourGlass");
    Path(w, "Color").WriteName(index % 2 ? "clWindow" : "clBtnFace");
    Path(w, "Letter").WriteText("x");
    Path(w, "Align").WriteName("alClient");
    Path(w, "Enabled").WriteBoolean(index % 3 != 0);
    Path(w, "Ratio").WriteFloat(index / 7.0L);
    Path(w, "Single").WriteFloat(1.5L); // float properties take tgFloat80
    Path(w, "Precise").WriteFloat(3.14159265358979323846L);
    Path(w, "Comp").WriteFloat(123456789.0L);
    Path(w, "Money").WriteFloat(1234.5678L);
    Path(w, "Short").WriteText("short");
    Path(w, "Text").WriteText(std::string(300, static_cast<char>('a' + index % 26)));
    Path(w, "Wide").WriteText("\x83\x5C\x83\x74\x83\x67 text"); // "ソフト", stored as UTF-16
    Path(w, "Styles").WriteNameSet(std::vector<std::string>{"fsBold", "fsItalic"});
    Path(w, "Ranges").WriteNameSet(std::vector<std::string>{"3", "17", "31"});
    Path(w, "Font.Name").WriteText(kFontName);
    Path(w, "Font.Height").WriteInteger(-12);
    Path(w, "OnChange").WriteName("FormClick");
    Path(w, "Variant").WriteWideText(u"\u30BD\u30D5\u30C8 variant");
    Path(w, "Big").WriteInt64(int64_t{1} << 40);
    if (!partner.empty()) Path(w, "Buddy").WriteName(partner);
    Path(w, "Items").WriteTag(tgItems);
    for (int item = 0; item < 2; ++item) {
        w.WriteInteger(item); // the item's order number
        w.WriteTag(tgValueList);
        Path(w, "Value").WriteInteger(index * 2 + item);
        Path(w, "Label").WriteText("item label");
        if (!partner.empty()) Path(w, "Link").WriteName(partner);
        w.WriteListEnd();
    }
    w.WriteListEnd();
    uint8_t blob[64];
    for (size_t i = 0; i < sizeof blob; ++i)
        blob[i] = static_cast<uint8_t>(index + i);
    Path(w, "Data").WriteBlob(blob);
    Path(w, "Tally").WriteInteger(index);
    Path(w, "Left").WriteInteger(index % 800);
    Path(w, "Top").WriteInteger(index % 600);
    w.WriteListEnd(); // properties
    w.WriteListEnd(); // children
}

} // namespace

void RegisterGeneratedFormClasses() {
    static bool done = [] {
        StartGraphicsModule();
        RegisterSampleClasses();
        RegisterComponentClass(&TBenchGroup::ClassInfo);
        return true;
    }();
    (void)done;
}

std::vector<uint8_t> GenerateDescription(size_t targetBytes, int fanOut) {
    TMemoryStream stream;
    TWriter w(stream);
    w.WriteSignature();
    w.WriteHeader("TSampleForm", "Generated");
    WriteRootProperties(w);
    w.WriteListEnd();
    componentCount = 0;
    auto full = [&] { return static_cast<size_t>(stream.Position()) >= targetBytes; };
    if (fanOut == 0) {
        // Every component owned by the root.
        for (int index = 0; !full(); ++index, ++componentCount)
            WriteComponent(w, index, Format("Sink%d", {index}),
                           index > 0 ? Format("Sink%d", {index - 1}) : "");
    } else {
        // Panels of fanOut groups of fanOut components: no owner holds more than fanOut.
        for (int panel = 0; !full(); ++panel) {
            std::string panelName = Format("Panel%d", {panel});
            w.WriteHeader("TBenchGroup", panelName);
            w.WriteListEnd(); // the panel's properties
            for (int group = 0; group < fanOut && !full(); ++group) {
                std::string groupName = Format("Group%d", {group});
                w.WriteHeader("TBenchGroup", groupName);
                w.WriteListEnd();
                // The partner is the component written just before, by its path from the root.
                std::string scope = panelName + "." + groupName + ".";
                for (int i = 0; i < fanOut; ++i, ++componentCount)
                    WriteComponent(w, static_cast<int>(componentCount), Format("Sink%d", {i}),
                                   i > 0 ? scope + Format("Sink%d", {i - 1}) : "");
                w.WriteListEnd(); // the group's components
            }
            w.WriteListEnd(); // the panel's groups
        }
    }
    w.WriteListEnd();
    return stream.Bytes();
}

size_t GeneratedComponentCount() {
    return componentCount;
}
