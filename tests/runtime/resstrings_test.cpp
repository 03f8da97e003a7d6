#include "runtime/exceptions.h"
#include "runtime/resstrings.h"

#include <gtest/gtest.h>

// The host machine of the test suite uses code page 1252 unless the test
// environment says otherwise, so Japanese texts arrive as '?'; the byte
// length and the placeholders are what matter here.
TEST(ResourceStrings, LoadsTheStringTable) {
    std::string text = LoadResString(SReadOnlyProperty);
    EXPECT_FALSE(text.empty());
    EXPECT_TRUE(LoadResString(12345).empty());
}

TEST(ResourceStrings, FormatsWithArguments) {
    std::string text = FormatResString(SPropertyReadError, {"FormMain", ".", "Color", "X"});
    EXPECT_EQ(text.rfind("FormMain.Color", 0), 0u) << text;
    EXPECT_EQ(text.back(), 'X');
}

TEST(Exceptions, CarryTheirClassAndMessage) {
    try {
        throw EReadError("broken");
    } catch (const EFilerError& error) {
        EXPECT_STREQ(error.ClassName(), "EReadError");
        EXPECT_EQ(error.Message(), "broken");
    }
}
