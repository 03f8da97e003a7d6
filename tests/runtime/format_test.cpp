#include "runtime/format.h"

#include <gtest/gtest.h>

TEST(Format, FillsPlaceholdersInOrder) {
    EXPECT_EQ(Format("%s%s%s : %s", {"FormMain", ".", "Color", "bad"}), "FormMain.Color : bad");
    EXPECT_EQ(Format("%d and %u", {-12, 7u}), "-12 and 7");
    EXPECT_EQ(Format("100%%", {}), "100%");
}

TEST(Format, HexadecimalIsUpperCaseAndPadded) {
    EXPECT_EQ(Format("ControlOfs%.8X%.8X", {0x400000u, 0x1234u}), "ControlOfs0040000000001234");
    EXPECT_EQ(Format("%x", {-1}), "FFFFFFFF");
}

TEST(Format, IndexedPlaceholdersSelectTheirArgument) {
    EXPECT_EQ(Format("%1:s %0:s %s", {"a", "b"}), "b a b");
    std::string pointer = Format("%0:p", {reinterpret_cast<const void*>(0x1F)});
    EXPECT_EQ(pointer.size(), sizeof(void*) * 2);
    EXPECT_EQ(pointer.substr(pointer.size() - 2), "1F");
}

TEST(Format, WidthAndJustification) {
    EXPECT_EQ(Format("[%5d][%-4s]", {42, "ab"}), "[   42][ab  ]");
}

TEST(Format, MissingOrMismatchedArgumentsDoNotFail) {
    EXPECT_EQ(Format("%s %s", {"only"}), "only <?>");
    EXPECT_EQ(Format("%d", {"text"}), "<?>");
    EXPECT_EQ(Format("trailing %", {}), "trailing %");
}
