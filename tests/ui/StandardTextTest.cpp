#include "ui/StandardText.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

// A web page's title can hold any number of marks: here acute and grave below, alternating, which canonical
// reordering must sort apart.
std::string marks(std::size_t count)
{
    std::string text;
    text.reserve(count * 2);
    for (std::size_t i = 0; i < count; ++i)
        text += i % 2 ? "\u0316" : "\u0301";
    return text;
}

TEST(StandardTextTest, ASearchFindsTheWordsBeforeALongRunOfMarks)
{
    std::string title = "Page a" + marks(500000) + " suite";
    EXPECT_TRUE(localizedStandardContains(title, "page"));
    EXPECT_TRUE(localizedStandardContains(title, "PAGE A"));
    EXPECT_TRUE(localizedStandardContains(title, "a suite"));
    EXPECT_FALSE(localizedStandardContains(title, "page b"));
    EXPECT_TRUE(localizedStandardContains("Écran de contenu", "ecran"));
}

TEST(StandardTextTest, ASearchFindsTheLastWordOfALongAccentedTitle)
{
    std::string title;
    for (int i = 0; i < 500000; ++i)
        title += "\u00e9";
    title += " fin";
    EXPECT_TRUE(localizedStandardContains(title, "eee fin"));
    EXPECT_FALSE(localizedStandardContains(title, "faim"));
}

TEST(StandardTextTest, LongRunsOfMarksCompareByWhatTheTextsHold)
{
    std::string run = marks(500000);
    EXPECT_EQ(localizedStandardCompare("Page \u00e9" + run, "page e\u0301" + run), 0);
    EXPECT_LT(localizedStandardCompare("Page a" + run, "Page b" + run), 0);
    EXPECT_LT(localizedStandardCompare("Page a" + run, "Page a" + run + "\u0300"), 0);
    EXPECT_LT(localizedStandardCompare("Projet 2", "projet 10"), 0);
}

} // namespace
} // namespace pellamor
