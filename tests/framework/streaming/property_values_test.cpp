// Property records: values of every kind, paths, identifiers, sets,
// collections, handlers and the errors a property record raises.
#include "streaming_fixture.h"
#include "streaming_support.h"

#include <cmath>

namespace {

class PropertyValues : public StreamingTest {
protected:
    // Reads a sink root named "Sink" whose properties the writer callback writes.
    void ReadSink(const std::function<void(TDescription&)>& properties) {
        TDescription description;
        description.Root("TSampleSink", "Sink");
        properties(description);
        description.End().End();
        ReadInto(description.Bytes(), sink.get());
    }
    // The message of the EReadError that reading the properties raises.
    std::string ErrorOf(const std::function<void(TDescription&)>& properties) {
        return MessageOf<EReadError>([&] { ReadSink(properties); });
    }
    void SetUp() override {
        StreamingTest::SetUp();
        InstallLookup(); // a given root keeps its name in the messages
        sink.reset(NewComponent<TSampleSink>(nullptr));
    }
    TOwned<TSampleSink> sink;
};

TEST_F(PropertyValues, IntegersFitTheStorageAndNamedIntegersUseTheirOwnMap) {
    ReadSink([](TDescription& d) {
        d.Path("Number")->WriteInteger(-2147483647 - 1);
        d.Path("Word")->WriteInteger(0x12345);
        d.Path("Charset").Raw({tgSigned16, 0xFF, 0x00});
        d.Path("Cursor")->WriteName("CRHANDPOINT");
        d.Path("color")->WriteName("CLbtnFACE");
    });
    EXPECT_EQ(sink->Number, INT32_MIN);
    EXPECT_EQ(sink->Word, 0x2345);
    EXPECT_EQ(sink->Charset, 255);
    EXPECT_EQ(sink->Cursor, -21);
    EXPECT_EQ(static_cast<uint32_t>(sink->Color), 0x8000000Fu);

    // A plain integer type has no map, although colour names exist.
    EXPECT_EQ(ErrorOf([](TDescription& d) { d.Path("Number")->WriteName("clRed"); }),
              PropertyError("Sink", "Number", Text(SInvalidPropertyValue)));
    EXPECT_EQ(ErrorOf([](TDescription& d) { d.Path("Color")->WriteName("clBlurple"); }),
              PropertyError("Sink", "Color", Text(SInvalidPropertyValue)));
}

TEST_F(PropertyValues, CharactersChoicesAndTexts) {
    ReadSink([](TDescription& d) {
        d.Path("Letter")->WriteText("Q");
        d.Path("Align")->WriteName("ALCLIENT");
        d.Path("Enabled")->WriteBoolean(true);
        d.Path("Short")->WriteText("truncated");
        d.Path("Text")->WriteText(std::string(300, 'x'));
        d.Path("Wide")->WriteText("abc");
    });
    EXPECT_EQ(sink->Letter, 'Q');
    EXPECT_EQ(sink->Align, alClient);
    EXPECT_TRUE(sink->Enabled);
    EXPECT_EQ(sink->Short, "trunc");
    EXPECT_EQ(sink->Text, std::string(300, 'x'));
    EXPECT_EQ(sink->Wide, u"abc");

    EXPECT_EQ(ErrorOf([](TDescription& d) { d.Path("Letter")->WriteText("QR"); }),
              PropertyError("Sink", "Letter", Text(SInvalidPropertyValue)));
    EXPECT_EQ(ErrorOf([](TDescription& d) { d.Path("Align")->WriteName("alMiddle"); }),
              PropertyError("Sink", "Align", Text(SInvalidPropertyValue)));
    EXPECT_EQ(ErrorOf([](TDescription& d) { d.Path("Text")->WriteInteger(1); }),
              PropertyError("Sink", "Text", Text(SInvalidPropertyValue)));
}

TEST_F(PropertyValues, FloatsAreConvertedToTheirKind) {
    ReadSink([](TDescription& d) {
        d.Path("Ratio")->WriteFloat(1.5L);
        d.Path("Single")->WriteInteger(3);
        d.Path("Precise")->WriteFloat(-0.1L);
        d.Path("Comp")->WriteFloat(2.5L);
        d.Path("Money")->WriteFloat(1.23456L);
        d.Path("Big")->WriteInt64(INT64_MIN);
    });
    EXPECT_EQ(sink->Ratio, 1.5);
    EXPECT_EQ(sink->Single, 3.0f);
    EXPECT_NEAR(static_cast<double>(sink->Precise), -0.1, 1e-15);
    EXPECT_EQ(sink->Comp, 3);
    EXPECT_EQ(sink->Money, 12346);
    EXPECT_EQ(sink->Big, INT64_MIN);
}

TEST_F(PropertyValues, SetsTakeMemberNamesAndIgnoreOrdinalsAbove31) {
    ReadSink([](TDescription& d) {
        std::vector<std::string> styles{"FSBOLD", "fsStrikeOut"};
        d.Path("Styles")->WriteNameSet(styles);
        std::vector<std::string> ranges{"3", "40", "31"};
        d.Path("Ranges")->WriteNameSet(ranges);
    });
    EXPECT_EQ(sink->Styles, 0x09);
    EXPECT_EQ(sink->Ranges, 0x80000008u);

    std::vector<std::string> unknown{"fsHeavy", "fsBold"};
    EXPECT_EQ(ErrorOf([&](TDescription& d) { d.Path("Styles")->WriteNameSet(unknown); }),
              PropertyError("Sink", "Styles", Text(SInvalidPropertyValue)));
}

TEST_F(PropertyValues, IntegerSetElementsAreExactlyDecimalIntegersInRange) {
    ReadSink([](TDescription& d) {
        std::vector<std::string> ranges{"-7", "0", "31", "2147483647"};
        d.Path("Ranges")->WriteNameSet(ranges);
    });
    EXPECT_EQ(sink->Ranges, 0x80000001u);
    // Beyond 32 bits, blanks, a line break, a plus sign, hexadecimal: not decimal integers.
    for (const char* element : {"4294967299", "2147483648", " 3", "3\n", "+3", "0x3", "3 ", "-"}) {
        std::vector<std::string> names{element};
        EXPECT_EQ(ErrorOf([&](TDescription& d) { d.Path("Ranges")->WriteNameSet(names); }),
                  PropertyError("Sink", "Ranges", FormatResString(SInvalidInteger, {element})))
            << element;
    }
}

TEST_F(PropertyValues, CollectionsKeepTheirItemsForAnEmptyListAndAreReplacedOtherwise) {
    ReadSink([](TDescription& d) {
        d.Path("Items")->WriteTag(tgItems);
        d->WriteTag(tgValueList);
        d.Path("Value")->WriteInteger(1);
        d.End();
        d->WriteInteger(7); // an order number, read and dropped
        d->WriteTag(tgValueList);
        d.Path("Value")->WriteInteger(2);
        d.Path("Label")->WriteText("second");
        d.End();
        d.End();
    });
    ASSERT_EQ(sink->Items()->Count(), 2);
    EXPECT_EQ(static_cast<TSampleItem*>(sink->Items()->Item(1))->Label, "second");
    EXPECT_EQ(sink->Items()->UpdateCount(), 0);

    ReadSink([](TDescription& d) { d.Path("Items").Raw({tgItems, tgEnd}); });
    EXPECT_EQ(sink->Items()->Count(), 2);

    ReadSink([](TDescription& d) { d.Path("Items").Raw({tgItems, tgValueList, tgEnd, tgEnd}); });
    ASSERT_EQ(sink->Items()->Count(), 1);
    EXPECT_EQ(static_cast<TSampleItem*>(sink->Items()->Item(0))->Value, 0);

    // An error inside an item names the item's class and the outer property.
    EXPECT_EQ(ErrorOf([](TDescription& d) {
                  d.Path("Items").Raw({tgItems, tgValueList});
                  d.Path("Nope")->WriteInteger(1);
                  d.End().End();
              }),
              PropertyError("Sink", "Items",
                            PropertyError("TSampleItem", "Nope", Text(SUnknownProperty))));
}

TEST_F(PropertyValues, HandlersBindToPublishedMethodsOfTheRoot) {
    ReadSink([](TDescription& d) { d.Path("OnChange")->WriteName("changed"); });
    ASSERT_TRUE(sink->OnChange.Assigned());
    EXPECT_EQ(sink->OnChange.Method.Data, sink.get());
    ReadSink([](TDescription& d) { d.Path("OnChange")->WriteTag(tgNone); });
    EXPECT_FALSE(sink->OnChange.Assigned());

    // Neither a method the root does not publish nor a published one of other
    // parameters than the event's is bound.
    for (const char* method : {"FormDestroy", "formresize"}) {
        TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
        TDescription description;
        description.Root("TFormMain", "FormMain").Path("OnCreate")->WriteName(method);
        description.End().End();
        EXPECT_EQ(MessageOf<EReadError>([&] { ReadInto(description.Bytes(), form.get()); }),
                  PropertyError("FormMain", "OnCreate", Text(SInvalidPropertyValue)))
            << method;
        EXPECT_FALSE(form->OnCreate.Assigned()) << method;
    }
}

TEST_F(PropertyValues, VariantsFollowTheTagsOfTheirValues) {
    struct Case {
        std::vector<uint8_t> bytes;
        uint16_t type;
        int64_t integer;
    } cases[] = {
        {{tgEnd}, varNull, 0},
        {{tgNone}, varEmpty, 0},
        {{tgSigned8, 0xFF}, varByte, 255},
        {{tgSigned16, 0xFE, 0xFF}, varSmallint, -2},
        {{tgSigned32, 1, 0, 1, 0}, varInteger, 0x10001},
        {{tgBoolTrue}, varBoolean, -1},
        {{tgFixed64, 0x10, 0x27, 0, 0, 0, 0, 0, 0}, varCurrency, 10000},
    };
    for (const Case& c : cases) {
        ReadSink([&](TDescription& d) {
            d.Path("Variant");
            d->WriteBytes(c.bytes.data(), c.bytes.size());
        });
        EXPECT_EQ(sink->Variant.VarType, c.type);
        EXPECT_EQ(sink->Variant.Integer, c.integer);
    }
    ReadSink([](TDescription& d) { d.Path("Variant")->WriteText("text"); });
    EXPECT_EQ(sink->Variant.VarType, varString);
    EXPECT_EQ(sink->Variant.Text, "text");
    ReadSink([](TDescription& d) { d.Path("Variant")->WriteWideText(u"w"); });
    EXPECT_EQ(sink->Variant.VarType, varOleStr);
    EXPECT_EQ(sink->Variant.Wide, u"w");
    ReadSink([](TDescription& d) { d.Path("Variant")->WriteDate(2.5); });
    EXPECT_EQ(sink->Variant.VarType, varDate);
    EXPECT_EQ(sink->Variant.Real, 2.5);

    EXPECT_EQ(ErrorOf([](TDescription& d) {
                  d.Path("Variant").Raw({tgValueList, tgEnd});
              }),
              PropertyError("Sink", "Variant", Text(SReadError)));
}

TEST_F(PropertyValues, PathsThroughObjectsAndTheirErrors) {
    ReadSink([](TDescription& d) {
        d.Path("FONT.name")->WriteText("Arial");
        d.Path("Font.Charset")->WriteName("shiftjis_charset");
    });
    EXPECT_EQ(sink->Font()->Name, "Arial");
    EXPECT_EQ(sink->Font()->Charset, 128);

    EXPECT_EQ(ErrorOf([](TDescription& d) { d.Path("Text.Length")->WriteInteger(1); }),
              PropertyError("Sink", "Text.Length", Text(SInvalidPropertyPath)));
    EXPECT_EQ(ErrorOf([](TDescription& d) { d.Path("Paper.Size")->WriteInteger(1); }),
              PropertyError("Sink", "Paper.Size", Text(SUnknownProperty)));
    EXPECT_EQ(ErrorOf([](TDescription& d) { d.Path("Font.")->WriteInteger(1); }),
              PropertyError("Sink", "Font.", Text(SUnknownProperty)));
    EXPECT_EQ(ErrorOf([](TDescription& d) { d.Path("ReadOnly")->WriteInteger(1); }),
              PropertyError("Sink", "ReadOnly", Text(SReadOnlyProperty)));
    // Non-ASCII letters are compared exactly.
    EXPECT_EQ(ErrorOf([](TDescription& d) { d.Path("Te\xD8t")->WriteInteger(1); }),
              PropertyError("Sink", "Te\xD8t", Text(SUnknownProperty)));
}

TEST_F(PropertyValues, HandledErrorsLeaveTheReaderAtTheNextRecord) {
    std::vector<std::string> messages;
    TDescription description;
    description.Root("TSampleSink", "Sink");
    description.Path("Missing")->WriteWideText(u"xyz"); // skipped as 4 + 2N bytes
    description.Path("Number")->WriteInteger(1);
    description.Path("Unknown").Raw(
        {tgValueList, tgBlob, 2, 0, 0, 0, 9, 9, tgNameSet, 1, 'a', 0, tgEnd});
    description.Path("ReadOnly")->WriteText("skipped too");
    std::vector<std::string> bad{"nope", "fsBold"};
    description.Path("Styles")->WriteNameSet(bad); // the rest of the set is skipped
    description.Path("Opaque")->WriteInteger(99);  // no conversion: skipped, nothing set
    description.Path("Data")->WriteInteger(5);     // custom binary without a blob
    // Values of the wrong kind are skipped whole, whichever reader met them.
    description.Path("Number")->WriteText("seven");
    description.Path("Text")->WriteInteger(300);
    description.Path("Align")->WriteInteger(5);
    description.Path("Ranges")->WriteText("3");
    description.Path("Ratio")->WriteName("pi");
    description.Path("Variant").Raw({tgValueList, tgSigned8, 1, tgEnd});
    description.Path("Text")->WriteText("last");
    description.End().End();
    TMemoryStream stream(description.Bytes());
    TReader reader(stream, 16);
    reader.OnReadError = [&](TReader&, const std::string& message, bool& handled) {
        messages.push_back(message);
        handled = true;
    };
    reader.LoadRoot(sink.get());
    EXPECT_EQ(sink->Number, 1);
    EXPECT_EQ(sink->Text, "last");
    EXPECT_EQ(sink->Styles, 0);
    EXPECT_EQ(messages, (std::vector<std::string>{
                            PropertyError("Sink", "Missing", Text(SUnknownProperty)),
                            PropertyError("Sink", "Unknown", Text(SUnknownProperty)),
                            PropertyError("Sink", "ReadOnly", Text(SReadOnlyProperty)),
                            PropertyError("Sink", "Styles", Text(SInvalidPropertyValue)),
                            PropertyError("Sink", "Data", Text(SInvalidPropertyValue)),
                            PropertyError("Sink", "Number", Text(SInvalidPropertyValue)),
                            PropertyError("Sink", "Text", Text(SInvalidPropertyValue)),
                            PropertyError("Sink", "Align", Text(SInvalidPropertyValue)),
                            PropertyError("Sink", "Ranges", Text(SInvalidPropertyValue)),
                            PropertyError("Sink", "Ratio", Text(SInvalidPropertyValue)),
                            PropertyError("Sink", "Variant", Text(SReadError)),
                        }));
}

TEST_F(PropertyValues, ErrorsInsideCustomReadProceduresAreNotRecoverable) {
    bool offered = false;
    TDescription description;
    description.Root("TSampleSink", "Sink").Path("Tally")->WriteText("not an integer");
    description.End().End();
    TMemoryStream stream(description.Bytes());
    TReader reader(stream, TReader::DefaultChunkSize);
    reader.OnReadError = [&](TReader&, const std::string&, bool& handled) {
        offered = handled = true;
    };
    EXPECT_EQ(MessageOf<EReadError>([&] { reader.LoadRoot(sink.get()); }),
              PropertyError("Sink", "Tally", Text(SInvalidPropertyValue)));
    EXPECT_FALSE(offered);
}

TEST_F(PropertyValues, CustomPropertiesOfComponentsAndBinaryBlocks) {
    ReadSink([](TDescription& d) {
        d.Path("left")->WriteInteger(-2);
        d.Path("Top")->WriteInteger(0x12345);
        d.Path("Tally")->WriteInteger(42);
        const uint8_t block[] = {1, 2, 3};
        d.Path("data")->WriteBlob(block);
    });
    EXPECT_EQ(static_cast<uint32_t>(sink->DesignOffset()), 0x2345FFFEu);
    EXPECT_EQ(sink->Tally, 42);
    EXPECT_EQ(sink->Data, (std::vector<uint8_t>{1, 2, 3}));
}

} // namespace
