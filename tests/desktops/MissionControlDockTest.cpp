#include "desktops/MissionControlDock.h"

#include "sim/AccessibilityElement.h"

#include <gtest/gtest.h>
#include <limits>

namespace pellamor {
namespace {

std::optional<std::uint64_t> numberIn(std::optional<AXValue> description)
{
    auto element = std::make_shared<sim::AccessibilityElement>(1, [] { return true; });
    if (description)
        element->setConstant("AXDescription", *description);
    return MissionControlDock::describedNumber(element);
}

TEST(MissionControlDockTest, ReadsTheDesktopNumberAThumbnailsDescriptionEndsIn)
{
    EXPECT_EQ(numberIn(AXValue("Bureau 3")), 3u);
    EXPECT_EQ(numberIn(AXValue("Desktop 12")), 12u);
    EXPECT_EQ(numberIn(AXValue("7")), 7u);
    EXPECT_EQ(numberIn(AXValue("Bureau 99999999999999999999999")), std::numeric_limits<std::uint64_t>::max())
        << "too large for a desktop, yet a number";
    EXPECT_FALSE(numberIn(AXValue("Safari"))) << "a full-screen application";
    EXPECT_FALSE(numberIn(AXValue("Bureau 3 ")));
    EXPECT_FALSE(numberIn(AXValue("")));
    EXPECT_FALSE(numberIn(AXValue(std::int64_t(3)))) << "not text";
    EXPECT_FALSE(numberIn(std::nullopt));
}

} // namespace
} // namespace pellamor
