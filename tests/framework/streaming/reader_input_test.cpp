// The reader's tag level: what each value reader consumes, skipping, and the
// limits that keep malformed lengths and nesting from exhausting memory or stack.
#include "streaming_fixture.h"
#include "streaming_support.h"

namespace {

// A reader over bytes; Offset() tells how many it has consumed.
class Input {
public:
    explicit Input(std::vector<uint8_t> bytes, int32_t chunk = 8)
        : stream_(std::move(bytes)), reader_(stream_, chunk) {}
    TReader* operator->() { return &reader_; }
    TReader& Reader() { return reader_; }
    int32_t Offset() { return reader_.StreamOffset(); }

private:
    TMemoryStream stream_;
    TReader reader_;
};

std::string ReadErrorOf(const std::function<void()>& action) {
    return MessageOf<EReadError>(action);
}

TEST(ReaderInput, ValueReadersDecodeEveryEncoding) {
    Input in({tgSigned8, 0xF4,       tgSigned16, 0xC0, 0x00, tgSigned32,  0xFF,       0xFF, 0xFF,
              0x7F,      tgSigned64, 1,          0,    0,    0,           0,          0,    0,
              0x80,      tgFloat32,  0,          0,    0xC0, 0x3F,        tgFixed64,  0x15, 0xCD,
              0x5B,      0x07,       0,          0,    0,    0,           tgDateTime, 0,    0,
              0,         0,          0,          0,    0x04, 0x40,        tgWideText, 2,    0,
              0,         0,          0x42,       0x30, 0x3D, 0xD8,        tgLongText, 3,    0,
              0,         0,          'a',        'b',  'c',  tgShortText, 1,          'z',  tgNone,
              0x87,      1,          'n'});
    EXPECT_EQ(in->ReadIntValue(), -12);
    EXPECT_EQ(in->ReadIntValue(), 192);
    EXPECT_EQ(in->ReadIntValue(), INT32_MAX);
    EXPECT_EQ(in->ReadInt64Value(), INT64_MIN + 1);
    EXPECT_EQ(in->ReadSingleValue(), 1.5f);
    EXPECT_EQ(in->ReadCurrencyValue(), 123456789);
    EXPECT_EQ(in->ReadDateValue(), 2.5);
    EXPECT_EQ(in->ReadWideTextValue(), std::u16string({0x3042, 0xD83D}));
    EXPECT_EQ(in->ReadTextValue(), "abc");
    EXPECT_EQ(in->ReadCharValue(), 'z');
    EXPECT_EQ(in->ReadNameValue(), "nil");
    EXPECT_EQ(in->ReadNameValue(), "n"); // names dispatch on the tag's low seven bits
    EXPECT_EQ(in.Offset(), 66);
}

TEST(ReaderInput, PeeksStayInTheBufferAndResyncHandsBackWhatWasReadAhead) {
    TMemoryStream stream({tgSigned8, 1, tgSigned8, 2, tgSigned8, 3});
    TReader reader(stream, 4);
    EXPECT_EQ(reader.PeekTag(), tgSigned8);
    EXPECT_EQ(reader.ReadIntValue(), 1);
    EXPECT_EQ(stream.Position(), 4); // one chunk read ahead
    EXPECT_EQ(reader.StreamOffset(), 2);
    reader.Resync();
    EXPECT_EQ(stream.Position(), 2);
    EXPECT_EQ(reader.ReadIntValue(), 2);
    EXPECT_EQ(reader.ReadIntValue(), 3);
    EXPECT_EQ(MessageOf<EReadError>([&] { reader.PeekTag(); }), Text(SReadError));
}

TEST(ReaderInput, IntegerTagsStandInForFloatsCurrencyDatesAnd64Bits) {
    Input in({tgSigned8, 3, tgSigned8, 3, tgSigned16, 0x10, 0x00, tgSigned8, 0xFF, tgSigned8, 9});
    EXPECT_EQ(in->ReadFloatValue(), 3.0L);
    EXPECT_EQ(in->ReadSingleValue(), 3.0f);
    EXPECT_EQ(in->ReadCurrencyValue(), 160000);
    EXPECT_EQ(in->ReadDateValue(), -1.0);
    EXPECT_EQ(in->ReadInt64Value(), 9);
}

TEST(ReaderInput, AWrongTagSkipsTheWholeValue) {
    struct Case {
        const char* reader;
        std::function<void(TReader&)> read;
        std::vector<uint8_t> bytes;
        int32_t consumed;
    } cases[] = {
        {"ReadIntValue", [](TReader& r) { r.ReadIntValue(); }, {tgShortText, 2, 'a', 'b', 0x55}, 4},
        {"ReadFloatValue", [](TReader& r) { r.ReadFloatValue(); }, {tgName, 1, 'a', 0x55}, 3},
        {"ReadCurrencyValue",
         [](TReader& r) { r.ReadCurrencyValue(); },
         {tgFloat80, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F, 0x55},
         11},
        {"ReadInt64Value",
         [](TReader& r) { r.ReadInt64Value(); },
         {tgFloat32, 0, 0, 0x80, 0x3F, 0x55},
         5},
        {"ReadTextValue", [](TReader& r) { r.ReadTextValue(); }, {tgName, 1, 'a', 0x55}, 3},
        {"ReadWideTextValue",
         [](TReader& r) { r.ReadWideTextValue(); },
         {tgLongText, 1, 0, 0, 0, 'a', 0x55},
         6},
        {"ReadNameValue", [](TReader& r) { r.ReadNameValue(); }, {tgShortText, 1, 'a', 0x55}, 3},
        {"ExpectTag", [](TReader& r) { r.ExpectTag(tgEnd); }, {tgShortText, 2, 'a', 'b', 0x55}, 4},
        {"ReadCharValue tag",
         [](TReader& r) { r.ReadCharValue(); },
         {tgName, 2, 'a', 'b', 0x55},
         4},
        {"ReadCharValue length",
         [](TReader& r) { r.ReadCharValue(); },
         {tgShortText, 2, 'a', 'b', 0x55},
         4},
        // The payload of a value of another kind is not read as set names.
        {"ReadSetValue tag",
         [](TReader& r) { r.ReadSetValue(TypeSampleFontStyles.ElementType); },
         {tgSigned8, 5, 0x55},
         2},
        // An unknown member: the set reads on to its closing empty name.
        {"ReadSetValue member",
         [](TReader& r) { r.ReadSetValue(TypeSampleFontStyles.ElementType); },
         {tgNameSet, 1, 'x', 6, 'f', 's', 'B', 'o', 'l', 'd', 0, 0x55},
         11},
    };
    for (const Case& c : cases) {
        Input in(c.bytes, 3);
        EXPECT_EQ(ReadErrorOf([&] { c.read(in.Reader()); }), Text(SInvalidPropertyValue))
            << c.reader;
        EXPECT_EQ(in.Offset(), c.consumed) << c.reader;
    }
}

TEST(ReaderInput, SkippingConsumesExactlyOneValue) {
    struct Case {
        std::vector<uint8_t> value;
    } cases[] = {
        {{tgWideText, 3, 0, 0, 0, 1, 0, 2, 0, 3, 0}}, // 4 + 2N bytes
        {{tgBlob, 0xFB, 0xFF, 0xFF, 0xFF}},           // a negative length: no bytes
        {{tgLongText, 0, 0, 0, 0}},
        {{tgFloat80, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {{tgSigned64, 1, 2, 3, 4, 5, 6, 7, 8}},
        {{0x14}},       // undefined tags stand alone
        {{0x82, 0x44}}, // the low seven bits decide
        {{tgValueList, tgSigned8, 1, tgValueList, tgName, 1, 'a', tgEnd, tgEnd}},
        {{tgNameSet, 1, 'a', 2, 'b', 'c', 0}},
        {{tgItems, tgSigned16, 1, 0, tgValueList, 1, 'P', tgBoolTrue, tgEnd, 0x77, tgEnd, tgEnd}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = c.value;
        bytes.push_back(0x99);
        Input in(bytes, 2);
        in->SkipAnyValue();
        EXPECT_EQ(in.Offset(), static_cast<int32_t>(c.value.size())) << int(c.value[0]);
        EXPECT_EQ(in->PeekTag(), 0x99);
    }
}

TEST(ReaderInput, LengthsBeyondTheStreamFailAsTruncatedInput) {
    // Neither the text nor the block is allocated at the length it claims.
    for (uint8_t tag : {tgLongText, tgWideText}) {
        Input in({tag, 0xF0, 0xFF, 0xFF, 0x7F, 'a', 'b'});
        EXPECT_EQ(ReadErrorOf([&] {
                      if (tag == tgLongText)
                          in->ReadTextValue();
                      else
                          in->ReadWideTextValue();
                  }),
                  Text(SReadError));
    }
    Input negative({tgLongText, 0xFF, 0xFF, 0xFF, 0xFF, 'a'});
    EXPECT_EQ(ReadErrorOf([&] { negative->ReadTextValue(); }), Text(SReadError));
    Input negativeWide({tgWideText, 0x00, 0x00, 0x00, 0x80});
    EXPECT_EQ(ReadErrorOf([&] { negativeWide->ReadWideTextValue(); }), Text(SReadError));
    Input skipped({tgBlob, 0xF0, 0xFF, 0xFF, 0x7F, 1, 2, 3});
    EXPECT_EQ(ReadErrorOf([&] { skipped->SkipAnyValue(); }), Text(SReadError));
}

class ReaderLimits : public StreamingTest {};

TEST_F(ReaderLimits, HugeBlockOfACustomBinaryPropertyFailsAsTruncatedInput) {
    TOwned<TSampleSink> sink(NewComponent<TSampleSink>(nullptr));
    TDescription d;
    d.Root("TSampleSink", "").Path("Data").Raw({tgBlob, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3});
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadInto(d.Bytes(), sink.get()); }),
              PropertyError("TSampleSink", "Data", Text(SReadError)));
    EXPECT_TRUE(sink->Data.empty());
}

TEST_F(ReaderLimits, NestingDeeperThanTheLimitIsAMalformedDescription) {
    auto nestedList = [](int depth) {
        TDescription d;
        d.Root("TSampleSink", "").Path("Unknown");
        for (int i = 0; i < depth; ++i)
            d->WriteTag(tgValueList);
        for (int i = 0; i < depth; ++i)
            d.End();
        d.End().End();
        return d.Bytes();
    };
    auto nestedChildren = [](int depth) {
        TDescription d;
        d.Root("TSampleForm", "").End();
        for (int i = 0; i < depth; ++i) {
            d->WriteHeader("TSampleChild", "");
            d.End();
        }
        for (int i = 0; i < depth; ++i)
            d.End();
        d.End();
        return d.Bytes();
    };
    auto nestedItems = [](int depth) {
        TDescription d;
        d.Root("TSampleSink", "").Path("Items");
        for (int i = 0; i < depth; ++i) {
            d.Raw({tgItems, tgValueList});
            d.Path("Nested");
        }
        d->WriteTag(tgNone);
        for (int i = 0; i < depth; ++i)
            d.End().End();
        d.End().End();
        return d.Bytes();
    };
    TOwned<TSampleSink> sink(NewComponent<TSampleSink>(nullptr));
    TOwned<TSampleForm> form(NewComponent<TSampleForm>(nullptr));
    // Within the limit the value is skipped as an unknown property.
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadInto(nestedList(200), sink.get()); }),
              PropertyError("TSampleSink", "Unknown", Text(SUnknownProperty)));
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadInto(nestedList(100000), sink.get()); }),
              PropertyError("TSampleSink", "Unknown", Text(SInvalidStreamFormat)));
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadInto(nestedChildren(100000), form.get()); }),
              Text(SInvalidStreamFormat));
    EXPECT_EQ(form->ComponentCount(), 0);
    ReadInto(nestedChildren(100), form.get()); // every child is owned by the root
    EXPECT_EQ(form->ComponentCount(), 100);
    EXPECT_NE(MessageOf<EReadError>([&] {
                  ReadInto(nestedItems(100000), sink.get());
              }).find(Text(SInvalidStreamFormat)),
              std::string::npos);
}

} // namespace
