#include "setup/ScreenMapView.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"

#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

using ScreenMapLayout::monitorRects;

ConnectedMonitor monitor(const std::string& id, QRectF frame, const std::string& name = "DELL U2723QE")
{
    return ConnectedMonitor { id, name, frame, frame, false };
}

void expectRect(const QRectF& actual, const QRectF& expected)
{
    EXPECT_NEAR(actual.x(), expected.x(), 1e-9);
    EXPECT_NEAR(actual.y(), expected.y(), 1e-9);
    EXPECT_NEAR(actual.width(), expected.width(), 1e-9);
    EXPECT_NEAR(actual.height(), expected.height(), 1e-9);
}

// The scale of a card: its drawn width over its screen's width, the 4-point inset put back.
double scaleOf(const ScreenMapLayout::MonitorRect& entry, const ConnectedMonitor& screen)
{
    return (entry.rect.width() + 8) / screen.frame.width();
}

TEST(ScreenMapLayoutTest, OneScreenFillsTheInsetAreaCentredKeepingItsProportions)
{
    std::vector<ConnectedMonitor> screens { monitor("A", QRectF(0, 0, 1000, 800)) };
    auto rects = monitorRects(screens, QRectF(0, 0, 400, 230));
    ASSERT_EQ(rects.size(), 1u);
    // The height decides: 206 / 800; the width 257.5 is centred in 368 from x = 16.
    expectRect(rects[0].rect, QRectF(75.25, 16, 249.5, 198));
}

TEST(ScreenMapLayoutTest, ScreensOfDifferentSizesShareOneScaleAndKeepTheirArrangement)
{
    std::vector<ConnectedMonitor> screens { monitor("A", QRectF(0, 0, 1512, 982)),
        monitor("B", QRectF(1512, 0, 2560, 1440)) };
    auto rects = monitorRects(screens, QRectF(0, 0, 600, 230));
    ASSERT_EQ(rects.size(), 2u);
    double scale = 568.0 / 4072.0;
    EXPECT_NEAR(scaleOf(rects[0], screens[0]), scale, 1e-9);
    EXPECT_NEAR(scaleOf(rects[1], screens[1]), scale, 1e-9);
    // Both stand on the same bottom edge, the lower one keeps its height, the group is centred vertically.
    EXPECT_NEAR(rects[0].rect.y(), rects[1].rect.y(), 1e-9);
    EXPECT_NEAR(rects[0].rect.height() + 8, 982 * scale, 1e-9);
    double groupHeight = 1440 * scale;
    EXPECT_NEAR(rects[1].rect.y() - 4, 115 - groupHeight / 2, 1e-9);
    EXPECT_NEAR(rects[0].rect.x(), 16 + 4, 1e-9);
    EXPECT_NEAR(rects[1].rect.right() + 4, 584, 1e-9);
}

TEST(ScreenMapLayoutTest, ScreensLeftOfAndAboveTheMainOneAreDrawnWhereTheyStand)
{
    std::vector<ConnectedMonitor> screens { monitor("main", QRectF(0, 0, 1000, 800)),
        monitor("left", QRectF(-1200, -100, 1200, 900)), monitor("above", QRectF(0, 800, 1000, 600)) };
    auto rects = monitorRects(screens, QRectF(0, 0, 500, 230));
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[0].index, 0u);
    EXPECT_EQ(rects[1].index, 1u);
    EXPECT_EQ(rects[2].index, 2u);
    const QRectF& main = rects[0].rect;
    const QRectF& left = rects[1].rect;
    const QRectF& above = rects[2].rect;
    EXPECT_LT(left.right(), main.left());
    EXPECT_LT(left.top(), main.top());
    // Unflipped: above means a larger y.
    EXPECT_GT(above.top(), main.bottom());
    EXPECT_NEAR(above.left(), main.left(), 1e-9);
    // The union spans 2200 × 1500: its height decides the one scale.
    double scale = 206.0 / 1500.0;
    for (std::size_t index = 0; index < screens.size(); ++index)
        EXPECT_NEAR(scaleOf(rects[index], screens[index]), scale, 1e-9);
    EXPECT_NEAR(left.left() - 4, 250 - 2200 * scale / 2, 1e-9);
    EXPECT_NEAR(left.top() - 4, 12, 1e-9);
}

TEST(ScreenMapLayoutTest, NothingIsDrawnWithoutScreensAreaOrRoomInsideTheInsets)
{
    EXPECT_TRUE(monitorRects({}, QRectF(0, 0, 400, 230)).empty());
    EXPECT_TRUE(monitorRects({ monitor("A", QRectF(0, 0, 0, 800)) }, QRectF(0, 0, 400, 230)).empty());
    std::vector<ConnectedMonitor> screens { monitor("A", QRectF(0, 0, 1000, 800)) };
    // A view no larger than its insets, as a new view with a zero frame.
    EXPECT_TRUE(monitorRects(screens, QRectF(0, 0, 0, 0)).empty());
    EXPECT_TRUE(monitorRects(screens, QRectF(0, 0, 32, 24)).empty());
    EXPECT_TRUE(monitorRects(screens, QRectF(0, 0, 400, 24)).empty());
    EXPECT_EQ(monitorRects(screens, QRectF(0, 0, 33, 25)).size(), 1u);
    ConnectedMonitor huge = monitor("B", QRectF(0, 0, std::numeric_limits<double>::infinity(), 800));
    EXPECT_TRUE(monitorRects({ huge }, QRectF(0, 0, 400, 230)).empty());
}

TEST(ScreenMapLayoutTest, AClickInTheGapBetweenTwoScreensSelectsNothing)
{
    std::vector<ConnectedMonitor> screens { monitor("A", QRectF(0, 0, 1000, 800)),
        monitor("B", QRectF(1000, 0, 1000, 800)) };
    QRectF bounds(0, 0, 600, 230);
    auto rects = monitorRects(screens, bounds);
    ASSERT_EQ(rects.size(), 2u);
    double middleY = rects[0].rect.center().y();
    double seam = (rects[0].rect.right() + rects[1].rect.left()) / 2;
    EXPECT_EQ(ScreenMapLayout::monitorAt(screens, bounds, QPointF(seam, middleY)), std::nullopt);
    EXPECT_EQ(ScreenMapLayout::monitorAt(screens, bounds, QPointF(seam - 5, middleY)), std::optional<std::size_t>(0));
    EXPECT_EQ(ScreenMapLayout::monitorAt(screens, bounds, QPointF(seam + 5, middleY)), std::optional<std::size_t>(1));
    EXPECT_EQ(ScreenMapLayout::monitorAt(screens, bounds, QPointF(seam, 2)), std::nullopt);
}

class ScreenMapViewTest : public ::testing::Test {
protected:
    test::WidgetApplication application;
    test::TestMac mac;
};

TEST_F(ScreenMapViewTest, AccessibilityValueNamesTheDedicatedScreenOnlyWhenItsIdMatchesExactly)
{
    std::vector<ConnectedMonitor> screens { monitor("AAAA-1", QRectF(0, 0, 1512, 982), "Built-in Retina Display"),
        monitor("BBBB-2", QRectF(1512, 0, 2560, 1440)), monitor("CCCC-3", QRectF(-900, 0, 900, 1600), "built-in panel") };
    AssistantScreenConfiguration configuration { AssistantApp::codex, std::string("BBBB-2") };
    EXPECT_EQ(ScreenMapLayout::accessibilityValue(screens, configuration),
        "Écran 1, MacBook : contenu des projets. Écran 2, DELL U2723QE : Codex, écran dédié. "
        "Écran 3, built-in panel : contenu des projets");
    configuration.monitorID = "bbbb-2";
    EXPECT_EQ(ScreenMapLayout::accessibilityValue(screens, configuration),
        "Écran 1, MacBook : contenu des projets. Écran 2, DELL U2723QE : contenu des projets. "
        "Écran 3, built-in panel : contenu des projets");
    configuration.monitorID.reset();
    EXPECT_EQ(ScreenMapLayout::accessibilityValue({ screens[0] }, configuration),
        "Écran 1, MacBook : contenu des projets");
    EXPECT_EQ(ScreenMapLayout::accessibilityValue({}, configuration), "");
}

TEST_F(ScreenMapViewTest, AClickReportsTheScreenUnderThePointerInFlippedWidgetCoordinates)
{
    ScreenMapView map;
    map.resize(600, 230);
    map.setMonitors({ monitor("low", QRectF(0, 0, 1000, 400)), monitor("high", QRectF(0, 400, 1000, 1000)) });
    std::vector<std::string> clicked;
    map.onSelectMonitor = [&](const std::string& id) { clicked.push_back(id); };
    map.show();
    // The lower screen is drawn near the widget's bottom edge, the upper one near its top.
    QTest::mouseClick(&map, Qt::LeftButton, {}, QPoint(300, 210));
    QTest::mouseClick(&map, Qt::LeftButton, {}, QPoint(300, 40));
    QTest::mouseClick(&map, Qt::LeftButton, {}, QPoint(5, 115));
    EXPECT_EQ(clicked, (std::vector<std::string> { "low", "high" }));

    // A script aims at a screen by the middle of its card, in the same widget coordinates.
    clicked.clear();
    for (const char* screen : { "high", "low" }) {
        std::optional<QPointF> point = map.screenPoint(screen);
        ASSERT_TRUE(point) << screen;
        QTest::mouseClick(&map, Qt::LeftButton, {}, point->toPoint());
    }
    EXPECT_EQ(clicked, (std::vector<std::string> { "high", "low" }));
    EXPECT_GT(map.screenPoint("low")->y(), 115);
    EXPECT_EQ(map.screenPoint("LOW"), std::nullopt);
    map.resize(30, 230);
    EXPECT_EQ(map.screenPoint("low"), std::nullopt) << "no room for cards, nothing to aim at";
}

TEST_F(ScreenMapViewTest, EachScreenIsDrawnAsACardAndTheAssistantsOneIsTinted)
{
    std::vector<ConnectedMonitor> screens { monitor("A", QRectF(0, 0, 1000, 800)),
        monitor("B", QRectF(1000, 0, 1000, 800)) };
    ScreenMapView map;
    map.resize(600, 230);
    map.setMonitors(screens);
    map.setConfiguration({ AssistantApp::codex, std::string("B") });
    auto rects = monitorRects(screens, QRectF(0, 0, 600, 230));
    ASSERT_EQ(rects.size(), 2u);
    QImage image = map.grab().toImage();
    int middle = static_cast<int>(rects[0].rect.center().y());
    QColor gap = image.pixelColor(static_cast<int>((rects[0].rect.right() + rects[1].rect.left()) / 2), middle);
    QColor dedicated = image.pixelColor(static_cast<int>(rects[1].rect.left()) + 3, middle);
    EXPECT_NE(dedicated, gap);
    EXPECT_GT(dedicated.blueF() - dedicated.redF(), gap.blueF() - gap.redF()) << "tinted with the accent";
}

} // namespace
} // namespace pellamor
