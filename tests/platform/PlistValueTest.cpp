#include "platform/PlistValue.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

TEST(PlistValueTest, KeepsTypesApart)
{
    EXPECT_NE(PlistValue(1), PlistValue(1.0));
    EXPECT_NE(PlistValue(1), PlistValue(true));
    EXPECT_NE(PlistValue(1), PlistValue(1u));
    EXPECT_NE(PlistValue("1"), PlistValue(1));
    EXPECT_NE(PlistValue(PlistArray {}), PlistValue(PlistDictionary {}));
    EXPECT_EQ(PlistValue(PlistDictionary { { "a", PlistArray { 1, "x" } } }),
        PlistValue(PlistDictionary { { "a", PlistArray { 1, "x" } } }));
    EXPECT_EQ(PlistValue(std::uint64_t(5)).integerValue(), 5);
    EXPECT_FALSE(PlistValue(std::uint64_t(1) << 63).integerValue());
    EXPECT_FALSE(PlistValue(true).integerValue());
    EXPECT_FALSE(PlistValue(2.0).integerValue());
    EXPECT_EQ(PlistValue(1).find("a"), nullptr);
}

TEST(PlistValueTest, TypedReadsTellAbsentFromWrongType)
{
    PlistDictionary values { { "flag", true }, { "count", 3 }, { "ratio", 0.5 }, { "name", "x" },
        { "bytes", PlistData { 1 } }, { "list", PlistArray {} }, { "map", PlistDictionary {} },
        { "huge", std::uint64_t(1) << 63 } };
    EXPECT_TRUE(*lookupBool(values, "flag"));
    EXPECT_EQ(*lookupInteger(values, "count"), 3);
    EXPECT_EQ(*lookupReal(values, "ratio"), 0.5);
    EXPECT_EQ(*lookupString(values, "name"), "x");
    EXPECT_EQ(lookupData(values, "bytes")->size(), 1u);
    EXPECT_TRUE(lookupArray(values, "list"));
    EXPECT_TRUE(lookupDictionary(values, "map"));

    EXPECT_TRUE(lookupBool(values, "missing").isAbsent());
    EXPECT_TRUE(lookupInteger(values, "flag").isWrongType());
    EXPECT_TRUE(lookupBool(values, "count").isWrongType());
    EXPECT_TRUE(lookupReal(values, "count").isWrongType());
    EXPECT_TRUE(lookupInteger(values, "huge").isWrongType());
    EXPECT_TRUE(lookupString(values, "bytes").isWrongType());
    EXPECT_TRUE(lookupArray(values, "map").isWrongType());
    EXPECT_EQ(lookupInteger(values, "name").valueOr(7), 7);
    EXPECT_FALSE(lookupString(values, "missing").optional());
}

} // namespace
} // namespace pellamor
