#include "overview/WindowArrangementIcon.h"

#include "support/TestMac.h"
#include "support/WidgetApplication.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

// The icon as a 2× screen shows it.
QImage sharp(WindowArrangement arrangement, double scale = 2)
{
    return WindowArrangementIcon::icon(arrangement, ColorRole::accent)
        .pixmap(WindowArrangementIcon::size, scale)
        .toImage();
}

// Alpha at a point given in points, measured from the icon's top-left corner.
int alphaAt(const QImage& icon, double x, double y)
{
    double scale = icon.devicePixelRatio();
    return qAlpha(icon.pixel(static_cast<int>(x * scale), static_cast<int>(y * scale)));
}

class WindowArrangementIconTest : public ::testing::Test {
protected:
    test::WidgetApplication application;
    test::TestMac mac;
};

TEST_F(WindowArrangementIconTest, AtTwicePixelsTheZoneIsFilledInsideTheOutlineWithTopAtTheTop)
{
    QImage topLeft = sharp(WindowArrangement::topLeft);
    EXPECT_EQ(topLeft.size(), QSize(48, 40));
    EXPECT_EQ(topLeft.devicePixelRatio(), 2.0);
    // Inner area (4.5, 5.5, 15, 9): the top-left quarter is filled, the rest of the inside is empty.
    EXPECT_EQ(alphaAt(topLeft, 8, 7.5), 255);
    EXPECT_EQ(topLeft.pixelColor(16, 15), ColorTable::color(ColorRole::accent));
    EXPECT_EQ(alphaAt(topLeft, 15, 7.5), 0);
    EXPECT_EQ(alphaAt(topLeft, 8, 12.5), 0);
    // The fill's edges fall on whole pixels at 2×: (4.5, 5.5) to (12, 10).
    EXPECT_EQ(alphaAt(topLeft, 4.5, 5.5), 255);
    EXPECT_EQ(alphaAt(topLeft, 11.5, 9.5), 255);
    EXPECT_EQ(alphaAt(topLeft, 12, 7.5), 0);
    EXPECT_EQ(alphaAt(topLeft, 8, 10), 0);
    // The outline, 1.5 points wide around x = 2 (3 pixels from 1.25 to 2.75), and nothing outside it.
    EXPECT_EQ(alphaAt(topLeft, 1.5, 10), 255);
    EXPECT_EQ(alphaAt(topLeft, 2, 10), 255);
    EXPECT_EQ(alphaAt(topLeft, 0.5, 10), 0);
    EXPECT_EQ(alphaAt(topLeft, 3.5, 10), 0);
    EXPECT_EQ(alphaAt(topLeft, 12, 2.5), 255) << "top edge at y = 3";
    EXPECT_EQ(alphaAt(topLeft, 12, 17), 255) << "bottom edge at y = 17";
    EXPECT_EQ(alphaAt(topLeft, 12, 19), 0);

    QImage bottom = sharp(WindowArrangement::bottom);
    EXPECT_EQ(alphaAt(bottom, 8, 7.5), 0);
    EXPECT_EQ(alphaAt(bottom, 15, 12.5), 255);
    QImage center = sharp(WindowArrangement::center);
    EXPECT_EQ(alphaAt(center, 12, 10), 255);
    EXPECT_EQ(alphaAt(center, 5, 6), 0);
}

TEST_F(WindowArrangementIconTest, EveryScaleIsDrawnAfreshAndSmallerBoundsKeepTheProportions)
{
    QImage triple = sharp(WindowArrangement::left, 3);
    EXPECT_EQ(triple.size(), QSize(72, 60));
    EXPECT_EQ(alphaAt(triple, 6, 10), 255) << "inside the left half";
    EXPECT_EQ(alphaAt(triple, 14, 10), 0);

    QIcon icon = WindowArrangementIcon::icon(WindowArrangement::maximize);
    EXPECT_EQ(icon.actualSize(QSize(16, 16)), QSize(16, 13));
    EXPECT_EQ(icon.pixmap(QSize(16, 16), 1.0).size(), QSize(16, 13));
    QImage disabled = icon.pixmap(WindowArrangementIcon::size, 2, QIcon::Disabled).toImage();
    EXPECT_EQ(disabled.pixelColor(24, 20), ColorTable::color(ColorRole::disabledControlText));

    // Painted straight into a larger area, as a menu does, it is drawn centred there.
    QImage painted(44, 40, QImage::Format_ARGB32_Premultiplied);
    painted.fill(Qt::transparent);
    QPainter painter(&painted);
    icon.paint(&painter, painted.rect());
    painter.end();
    EXPECT_GT(qAlpha(painted.pixel(22, 20)), 200);
    EXPECT_EQ(qAlpha(painted.pixel(22, 1)), 0) << "fitted into 44 points wide, it is 36.7 high, centred";
}

} // namespace
} // namespace pellamor
