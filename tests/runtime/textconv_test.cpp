// Number, date and time text: the integer rules the INI object relies on,
// and formatting and reading that agree with each other under several
// locale settings.
#include "runtime/exceptions.h"
#include "runtime/textconv.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(TextConv, IntegerRules) {
    struct Case {
        const char* text;
        bool ok;
        int32_t value;
    };
    const Case cases[] = {
        {"26", true, 26},
        {"  26", true, 26},
        {"+26", true, 26},
        {"-26", true, -26},
        {"$1A", true, 26},
        {"x1a", true, 26},
        {"X1A", true, 26},
        {"0x1A", true, 26},
        {"0X1a", true, 26},
        {"$FFFFFFFF", true, -1},
        {"$000000001", true, 1},
        {"$80000000", true, INT32_MIN},
        {"2147483647", true, INT32_MAX},
        {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"$100000000", false, 0},
        {"26 ", false, 0},
        {"\t26", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"$", false, 0},
        {"0x", false, 0},
        {"-0x1A", false, 0},
        {"-$1A", false, 0},
        {"1A", false, 0},
        {"$1G", false, 0},
        {"99999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        int32_t value = 12345;
        EXPECT_EQ(TryStrToInt(c.text, value), c.ok) << "'" << c.text << "'";
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
        EXPECT_EQ(StrToIntDef(c.text, 7), c.ok ? c.value : 7) << c.text;
    }
    EXPECT_THROW(StrToInt("abc"), EConvertError);
    EXPECT_EQ(IntToStr(-42), "-42");
    EXPECT_EQ(IntToStr(0), "0");
}

class TextConvLocale : public ::testing::Test {
protected:
    void TearDown() override { SetFormatSettings(TFormatSettings{}); }
};

TEST_F(TextConvLocale, FloatsRoundTripWithTheDecimalSeparator) {
    for (char separator : {'.', ','}) {
        TFormatSettings settings;
        settings.DecimalSeparator = separator;
        SetFormatSettings(settings);
        for (double value : {0.0, 1.5, -2.25, 1.0 / 3.0, 123456789.125, 1e20, 1.5e-7, -3e-300}) {
            std::string text = FloatToStr(value);
            double back = 0;
            ASSERT_TRUE(TryStrToFloat(text, back)) << text;
            EXPECT_NEAR(back, value, std::fabs(value) * 1e-14) << text;
        }
        EXPECT_EQ(FloatToStr(1.5), std::string("1") + separator + "5");
    }
    SetFormatSettings(TFormatSettings{});
    EXPECT_EQ(FloatToStr(1e20), "1E20");
    EXPECT_EQ(FloatToStr(1.5e-7), "1.5E-7");
    EXPECT_EQ(FloatToStr(100), "100");
    double value = 0;
    for (const char* bad :
         {"", "abc", "1.2.3", "1e", "--1", "1,5", "inf", "nan", "1e999", ".", "1 2"})
        EXPECT_FALSE(TryStrToFloat(bad, value)) << bad;
    EXPECT_TRUE(TryStrToFloat(" -1.5E+3 ", value));
    EXPECT_EQ(value, -1500.0);
    EXPECT_TRUE(TryStrToFloat(".5", value));
    EXPECT_THROW(StrToFloat("x"), EConvertError);
}

TEST_F(TextConvLocale, DatesEncodeAndDecode) {
    TDateTime value = 0;
    ASSERT_TRUE(TryEncodeDate(1899, 12, 30, value));
    EXPECT_EQ(value, 0.0);
    ASSERT_TRUE(TryEncodeDate(2000, 1, 1, value));
    EXPECT_EQ(value, 36526.0);
    ASSERT_TRUE(TryEncodeDate(1, 1, 1, value));
    int year, month, day;
    DecodeDate(value, year, month, day);
    EXPECT_EQ(year * 10000 + month * 100 + day, 10101);
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, value));
    EXPECT_FALSE(TryEncodeDate(2024, 13, 1, value));
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, value));
    // Negative values: the day counts back, the time still runs forward.
    DecodeDate(-1.25, year, month, day);
    EXPECT_EQ(year * 10000 + month * 100 + day, 18991229);
    int hour, minute, second, millisecond;
    DecodeTime(-1.25, hour, minute, second, millisecond);
    EXPECT_EQ(hour, 6);
}

TEST_F(TextConvLocale, DatesAndTimesRoundTripInEachLocaleOrder) {
    struct Locale {
        const char* shortDate;
        char separator;
        const char* longTime;
    };
    const Locale locales[] = {{"M/d/yyyy", '/', "h:mm:ss tt"},
                              {"dd.MM.yyyy", '.', "HH:mm:ss"},
                              {"yyyy/MM/dd", '/', "H:mm:ss"}};
    TDateTime date = 0, time = 0;
    ASSERT_TRUE(TryEncodeDate(2024, 3, 7, date));
    ASSERT_TRUE(TryEncodeTime(15, 4, 5, 0, time));
    for (const Locale& locale : locales) {
        TFormatSettings settings;
        settings.ShortDateFormat = locale.shortDate;
        settings.DateSeparator = locale.separator;
        settings.LongTimeFormat = locale.longTime;
        SetFormatSettings(settings);
        TDateTime back = 0;
        ASSERT_TRUE(TryStrToDate(DateToStr(date), back)) << DateToStr(date);
        EXPECT_EQ(back, date) << locale.shortDate;
        ASSERT_TRUE(TryStrToTime(TimeToStr(time), back)) << TimeToStr(time);
        EXPECT_NEAR(back, time, 1e-9) << locale.longTime;
        std::string both = DateTimeToStr(date + time);
        ASSERT_TRUE(TryStrToDateTime(both, back)) << both;
        EXPECT_NEAR(back, date + time, 1e-9) << both;
        EXPECT_EQ(DateTimeToStr(date), DateToStr(date)); // midnight leaves the time out
        EXPECT_THROW(StrToDate("not a date"), EConvertError);
        EXPECT_THROW(StrToTime("25:00"), EConvertError);
        EXPECT_THROW(StrToDateTime("x y"), EConvertError);
    }
    SetFormatSettings(TFormatSettings{});
    EXPECT_EQ(DateToStr(date), "3/7/2024");
    EXPECT_EQ(TimeToStr(time), "3:04:05 PM");
    TDateTime value = 0;
    ASSERT_TRUE(TryStrToTime("12:30 am", value));
    EXPECT_NEAR(value, 30.0 / 1440, 1e-9);
    ASSERT_TRUE(TryStrToTime("7", value));
    EXPECT_NEAR(value, 7.0 / 24, 1e-9);
    ASSERT_TRUE(TryStrToTime("1:02:03.5", value));
    EXPECT_NEAR(value * 86400000, 3723500, 1e-3);
    EXPECT_FALSE(TryStrToTime("13:00 PM", value));
    EXPECT_FALSE(TryStrToDate("2/30/2024", value));
    ASSERT_TRUE(TryStrToDate("3/7/24", value));
    EXPECT_EQ(value, date);
}

} // namespace
