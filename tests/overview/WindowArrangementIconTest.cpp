#include "overview/WindowArrangementIcon.h"

#include "support/WidgetApplication.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

// Alpha at a point given in points, measured from the icon's top-left corner.
int alphaAt(const QImage& icon, double x, double y)
{
    return qAlpha(icon.pixel(static_cast<int>(x * 2), static_cast<int>(y * 2)));
}

TEST(WindowArrangementIconTest, TheZoneIsFilledInsideTheOutlineWithTopAtTheTop)
{
    test::ensureWidgetApplication();
    QImage topLeft = WindowArrangementIcon::image(WindowArrangement::topLeft);
    EXPECT_EQ(topLeft.size(), QSize(48, 40));
    // Inner area (4.5, 5.5, 15, 9): the top-left quarter is filled, the rest of the inside is empty.
    EXPECT_EQ(alphaAt(topLeft, 8, 7.5), 255);
    EXPECT_EQ(alphaAt(topLeft, 15, 7.5), 0);
    EXPECT_EQ(alphaAt(topLeft, 8, 12.5), 0);
    // The outline's left edge, and nothing outside it.
    EXPECT_GT(alphaAt(topLeft, 2, 10), 0);
    EXPECT_EQ(alphaAt(topLeft, 0.5, 10), 0);

    QImage bottom = WindowArrangementIcon::image(WindowArrangement::bottom);
    EXPECT_EQ(alphaAt(bottom, 8, 7.5), 0);
    EXPECT_EQ(alphaAt(bottom, 15, 12.5), 255);
    QImage center = WindowArrangementIcon::image(WindowArrangement::center);
    EXPECT_EQ(alphaAt(center, 12, 10), 255);
    EXPECT_EQ(alphaAt(center, 5, 6), 0);
}

} // namespace
} // namespace pellamor
