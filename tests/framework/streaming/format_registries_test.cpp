// The format's numbers, the writer's encoding choices, and the registries.
#include "streaming_fixture.h"
#include "streaming_support.h"

#include <cmath>
#include <limits>

namespace {

TExtended80 Bytes80(std::initializer_list<uint8_t> bytes) {
    TExtended80 result{};
    std::copy(bytes.begin(), bytes.end(), result.begin());
    return result;
}

TEST(Format, ExtendedRealsDecodeWithoutRelyingOnLongDouble) {
    EXPECT_EQ(DecodeExtended80(Bytes80({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F})), 1.0L);
    EXPECT_EQ(DecodeExtended80(Bytes80({0, 0, 0, 0, 0, 0, 0, 0xC8, 0x02, 0xC0})), -12.5L);
    EXPECT_EQ(DecodeExtended80(Bytes80({0, 0, 0, 0, 0, 0, 0, 0xC0, 0x05, 0x40})), 96.0L);
    TExtended zero = DecodeExtended80(Bytes80({0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}));
    EXPECT_EQ(zero, 0.0L);
    EXPECT_TRUE(std::signbit(zero));
    EXPECT_TRUE(std::isinf(DecodeExtended80(Bytes80({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}))));
    EXPECT_TRUE(std::isnan(DecodeExtended80(Bytes80({1, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0xFF}))));
    // The smallest denormal is far below any double: it decodes to 0 or a tiny value, never
    // garbage.
    TExtended tiny = DecodeExtended80(Bytes80({1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_GE(tiny, 0.0L);
    EXPECT_LT(tiny, 1e-300L);
}

TEST(Format, ExtendedRealsRoundTrip) {
    for (TExtended value : {1.0L, -12.5L, 0.1L, 1e300L, -3e-300L, 123456789.125L, 0.0L,
                            std::numeric_limits<TExtended>::infinity()})
        EXPECT_EQ(DecodeExtended80(EncodeExtended80(value)), value) << static_cast<double>(value);
    EXPECT_EQ(EncodeExtended80(1.0L), Bytes80({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
    EXPECT_TRUE(std::isnan(DecodeExtended80(EncodeExtended80(NAN))));
}

TEST(Format, TagNamesMatchTheirValues) {
    EXPECT_STREQ(ValueTagName(tgSigned16), "tgSigned16");
    EXPECT_STREQ(ValueTagName(tgSigned64), "tgSigned64");
    EXPECT_EQ(ValueTagName(0x14), nullptr);
    for (uint8_t tag = 0; tag <= LastValueTag; ++tag)
        EXPECT_EQ(ValueTagByName(ValueTagName(tag)), tag);
    EXPECT_FALSE(ValueTagByName("tgsigned16").has_value());
}

TEST(Writer, IntegersTakeTheSmallestTagAndTextsTheShortFormUpTo255Bytes) {
    struct Case {
        int64_t value;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {-128, {tgSigned8, 0x80}},
        {127, {tgSigned8, 0x7F}},
        {128, {tgSigned16, 0x80, 0x00}},
        {-129, {tgSigned16, 0x7F, 0xFF}},
        {32768, {tgSigned32, 0x00, 0x80, 0x00, 0x00}},
        {-32769, {tgSigned32, 0xFF, 0x7F, 0xFF, 0xFF}},
        {int64_t(1) << 31, {tgSigned64, 0, 0, 0, 0x80, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        TDescription d;
        d->WriteInteger(c.value);
        EXPECT_EQ(d.Bytes(), c.bytes) << c.value;
    }
    TDescription texts;
    texts->WriteText(std::string(255, 'a'));
    texts->WriteText(std::string(256, 'b'));
    std::vector<uint8_t> bytes = texts.Bytes();
    ASSERT_EQ(bytes.size(), 2 + 255 + 5 + 256u);
    EXPECT_EQ(bytes[0], tgShortText);
    EXPECT_EQ(bytes[1], 255);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 257, bytes.begin() + 262),
              (std::vector<uint8_t>{tgLongText, 0x00, 0x01, 0x00, 0x00}));

    TDescription sets;
    sets->WriteNameSet({});
    std::vector<std::string> bold{"fsBold"};
    sets->WriteNameSet(bold);
    EXPECT_EQ(sets.Bytes(),
              (std::vector<uint8_t>{tgNameSet, 0, tgNameSet, 6, 'f', 's', 'B', 'o', 'l', 'd', 0}));
    std::vector<std::string> empty{""};
    EXPECT_THROW(sets->WriteNameSet(empty), EWriteError);
    EXPECT_THROW(sets->WriteShortText(std::string(256, 'x')), EWriteError);
}

TEST(Writer, HeadersCarryAPrefixOnlyWhenTheyNeedOne) {
    TDescription d;
    d->WriteHeader("TA", "a");
    d->WriteHeader("TB", "", pfHasPosition | pfFromAncestor, 300);
    EXPECT_EQ(d.Bytes(), (std::vector<uint8_t>{2, 'T', 'A', 1, 'a', 0xF3, tgSigned16, 0x2C, 0x01, 2,
                                               'T', 'B', 0}));
}

TEST(Writer, AClassNameOf240BytesOrMoreNeedsAPrefix) {
    // Its length byte would start the record and be read as a prefix byte.
    const std::string longest(239, 'T'), tooLong(240, 'T');
    TDescription d;
    EXPECT_NO_THROW(d->WriteHeader(longest, "a"));
    EXPECT_EQ(MessageOf<EWriteError>([&] { d->WriteHeader(tooLong, "b"); }), Text(SWriteError));
    EXPECT_EQ(d.Bytes().size(), 1u + 239 + 2); // nothing of the refused header was written
    EXPECT_NO_THROW(d->WriteHeader(tooLong, "c", pfFromAncestor));
    EXPECT_EQ(d.Bytes().size(), 242u + 1 + 241 + 2);
}

using Registries = StreamingTest;

TEST_F(Registries, ColourAndCharacterSetTablesInTableOrder) {
    ASSERT_EQ(ColorIdents.size(), 42u);
    ASSERT_EQ(CharsetIdents.size(), 18u);
    EXPECT_STREQ(ColorIdents.front().Name, "clBlack");
    EXPECT_STREQ(ColorIdents[16].Name, "clScrollBar");
    EXPECT_EQ(static_cast<uint32_t>(ColorIdents[40].Value), 0x80000018u);
    EXPECT_STREQ(ColorIdents.back().Name, "clNone");
    EXPECT_EQ(ColorIdents.back().Value, 0x1FFFFFFF);
    for (size_t i = 16; i <= 40; ++i)
        EXPECT_EQ(static_cast<uint32_t>(ColorIdents[i].Value), 0x80000000u + (i - 16));
    EXPECT_STREQ(CharsetIdents[4].Name, "SHIFTJIS_CHARSET");
    EXPECT_EQ(CharsetIdents.back().Value, 255);

    int32_t value = 0;
    TIdentToInt colors = FindIdentMap(&TypeColor);
    ASSERT_NE(colors, nullptr);
    EXPECT_TRUE(colors("CLBTNFACE", value));
    EXPECT_EQ(static_cast<uint32_t>(value), 0x8000000Fu);
    EXPECT_FALSE(colors("clBtnFace2", value));
    EXPECT_TRUE(FindIdentMap(&TypeFontCharset)("shiftjis_charset", value));
    EXPECT_EQ(value, 128);
    std::string ident;
    EXPECT_TRUE(FindIntToIdent(&TypeColor)(0x80000008, ident));
    EXPECT_EQ(ident, "clWindowText");
}

TEST_F(Registries, IdentifierMapsBelongToTheTypeNotItsName) {
    static const TTypeInfo otherColor = NamedIntegerType("TColor");
    EXPECT_EQ(FindIdentMap(&otherColor), nullptr);
    EXPECT_EQ(FindIdentMap(&TypeInteger), nullptr);
    static constexpr TIdentMapEntry first[] = {{1, "One"}, {2, "one"}};
    int32_t value = 0;
    EXPECT_TRUE(IdentToIntFrom(first, "ONE", value));
    EXPECT_EQ(value, 1); // the first matching row wins
    static constexpr TIdentMapEntry accented[] = {{1, "\xC9t\xE9"}};
    EXPECT_FALSE(IdentToIntFrom(accented, "\xE9t\xE9", value)); // only ASCII letters fold
    StopGraphicsModule();
    EXPECT_EQ(FindIdentMap(&TypeColor), nullptr);
    StartGraphicsModule();
}

TEST_F(Registries, OfTwoMapsForOneTypeTheFirstRegisteredServesTheReader) {
    InstallLookup(); // the root keeps its name in the messages
    static constexpr TIdentMapEntry extra[] = {{0x123456, "clRed"}, {0x654321, "clExtra"}};
    RegisterIdentMap(
        &TypeColor,
        [](std::string_view ident, int32_t& value) { return IdentToIntFrom(extra, ident, value); },
        nullptr);
    TOwned<TSampleSink> sink(NewComponent<TSampleSink>(nullptr));
    TDescription d;
    d.Root("TSampleSink", "Sink").Path("Color")->WriteName("clRed");
    d.End().End();
    ReadInto(d.Bytes(), sink.get());
    EXPECT_EQ(sink->Color, 0x000000FF);
    TDescription second;
    second.Root("TSampleSink", "Sink").Path("Color")->WriteName("clExtra");
    second.End().End();
    EXPECT_EQ(MessageOf<EReadError>([&] { ReadInto(second.Bytes(), sink.get()); }),
              PropertyError("Sink", "Color", Text(SInvalidPropertyValue)));
}

TEST_F(Registries, ClassRegistrationCoversAncestorsAndRefusesNameClashes) {
    EXPECT_EQ(LookupRegisteredClass("tsampleform"), &TSampleForm::ClassInfo);
    EXPECT_EQ(LookupRegisteredClass("TComponent"), &TComponent::ClassInfo);
    EXPECT_EQ(LookupRegisteredClass("TPersistent"), &TPersistent::ClassInfo);
    EXPECT_EQ(LookupRegisteredClass("TObject"), nullptr);
    EXPECT_EQ(LookupRegisteredClass("TSampleThing"), &TSampleThing::ClassInfo); // an alias
    EXPECT_NO_THROW(RegisterComponentClass(&TSampleForm::ClassInfo));

    static const TClass impostor = MakeClass<TSampleChild>("TSampleForm", &TComponent::ClassInfo);
    EXPECT_EQ(MessageOf<EFilerError>([] { RegisterComponentClass(&impostor); }),
              FormatResString(SAppClassNameInUse, {"TSampleForm"}));
    EXPECT_EQ(MessageOf<EClassNotFound>([] { RequireRegisteredClass("TMissing"); }),
              FormatResString(SClassNotFound, {"TMissing"}));
    EXPECT_EQ(RequireRegisteredClass("TSampleChild"), &TSampleChild::ClassInfo);
}

} // namespace
