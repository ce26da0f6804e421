#include "assistant/LossyUtf8.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

const std::string fffd = "\xEF\xBF\xBD";

TEST(LossyUtf8Test, EachMaximalInvalidSubpartBecomesOneReplacement)
{
    // Unicode's own example: a truncated sequence is one replacement, a stray continuation byte one each.
    EXPECT_EQ(repairingUtf8("a\xF1\x80\x80\xE1\x80\xC2" "b\x80" "c\x80\xBF" "d"),
        "a" + fffd + fffd + fffd + "b" + fffd + "c" + fffd + fffd + "d");
    EXPECT_EQ(repairingUtf8("\xC0\xAF"), fffd + fffd) << "overlong";
    EXPECT_EQ(repairingUtf8("\xED\xA0\x80"), fffd + fffd + fffd) << "surrogate";
    EXPECT_EQ(repairingUtf8("\xF4\x90\x80\x80"), fffd + fffd + fffd + fffd) << "above U+10FFFF";
    EXPECT_EQ(repairingUtf8("\xFF"), fffd);
    // After E0 only A0...BF: below is overlong.
    EXPECT_EQ(repairingUtf8("\xE0\x9F\xBF"), fffd + fffd + fffd) << "overlong after E0";
    EXPECT_EQ(repairingUtf8("\xE0\xA0\x80|\xE0\xBF\xBF"), "\xE0\xA0\x80|\xE0\xBF\xBF");
}

TEST(LossyUtf8Test, ASequenceCutAtTheEndIsReplacedAndValidTextKept)
{
    EXPECT_EQ(repairingUtf8("ab\xE2\x82"), "ab" + fffd);
    EXPECT_EQ(repairingUtf8("\xF0\x9F\x98"), fffd);
    EXPECT_EQ(repairingUtf8("\xC3"), fffd);
    const std::string valid = "é€😀\xF4\x8F\xBF\xBF";
    EXPECT_EQ(repairingUtf8(valid), valid);
    EXPECT_TRUE(isValidUtf8(valid));
    EXPECT_FALSE(isValidUtf8("ab\xE2\x82"));
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));
    EXPECT_TRUE(isValidUtf8(repairingUtf8("x\xE1\x80\xF0")));
}

} // namespace
} // namespace pellamor
