// The readable names the exception reports give C++ types.
#include "runtime/type_names.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <typeinfo>

namespace outer::inner {
struct Fault {};
} // namespace outer::inner

namespace {
struct Hidden {};
} // namespace

TEST(TypeNames, DecodesTheNamesExceptionReportsMeet) {
    EXPECT_EQ(ReadableTypeName(typeid(std::runtime_error).name()), "std::runtime_error");
    EXPECT_EQ(ReadableTypeName(typeid(std::bad_alloc).name()), "std::bad_alloc");
    EXPECT_EQ(ReadableTypeName(typeid(outer::inner::Fault).name()), "outer::inner::Fault");
    EXPECT_EQ(ReadableTypeName(typeid(Hidden).name()), "(anonymous namespace)::Hidden");
    EXPECT_EQ(ReadableTypeName(typeid(int).name()), "int");
    EXPECT_EQ(ReadableTypeName(typeid(const char*).name()), "char const*");
    EXPECT_EQ(ReadableTypeName(typeid(char* const*).name()), "char* const*");
    EXPECT_EQ(ReadableTypeName("St13runtime_error"), "std::runtime_error");
}

TEST(TypeNames, GivesBackWhatItCannotDecode) {
    // A template's arguments, a truncated name, a length past the end, nothing.
    for (const char* mangled :
         {"St6vectorIiSaIiEE", "N5outer", "9short", "", "P", "N3abcE3def", "q"})
        EXPECT_EQ(ReadableTypeName(mangled), mangled);
}
