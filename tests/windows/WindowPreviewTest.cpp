#include "support/TestMac.h"
#include "windows/WindowPreviewGeometry.h"
#include "windows/WindowPreviewHoverSession.h"

#include <gtest/gtest.h>
#include <limits>

namespace pellamor {
namespace {

using WindowPreviewGeometry::frame;

const QRectF host800(4, 4, 792, 592);
const QSizeF card(384, 423);

TEST(WindowPreviewGeometryTest, TheCardGoesAfterTheAnchorWhenOnlyThatSideHasRoom)
{
    QRectF anchor(100, 100, 200, 76);
    EXPECT_EQ(frame(card, anchor, QPointF(150, 120), host800), QRectF(4, 176, 384, 420));
    EXPECT_EQ(frame(card, anchor, QPointF(290, 170), host800), QRectF(98, 176, 384, 420));
    // A room of exactly the minimum height takes the card, after or before.
    EXPECT_EQ(frame(card, QRectF(100, 200, 200, 99), QPointF(150, 220), host800), QRectF(4, 299, 384, 297));
    EXPECT_EQ(frame(card, QRectF(100, 301, 200, 99), QPointF(150, 320), host800), QRectF(4, 4, 384, 297));
}

TEST(WindowPreviewGeometryTest, NearEachEdgeTheCardStaysInsideTheHost)
{
    // Top edge: only after; its height is cut to the room left.
    EXPECT_EQ(frame(card, QRectF(700, 0, 100, 60), QPointF(790, 30), host800), QRectF(412, 60, 384, 423));
    // Bottom edge: only before, and the pointer's x is clamped to the left edge.
    EXPECT_EQ(frame(card, QRectF(0, 540, 100, 60), QPointF(2, 550), host800), QRectF(4, 117, 384, 423));
    // A tall anchor on the left edge: no vertical room, so the card goes right of it, centred on the pointer.
    QRectF tall(0, 0, 120, 600);
    EXPECT_EQ(frame(card, tall, QPointF(60, 300), host800), QRectF(120, 88.5, 384, 423));
    EXPECT_EQ(frame(card, tall, QPointF(60, 590), host800), QRectF(120, 173, 384, 423));
    // The same anchor on the right edge: left of it.
    EXPECT_EQ(frame(card, QRectF(680, 0, 120, 600), QPointF(700, 20), host800), QRectF(296, 4, 384, 423));
}

TEST(WindowPreviewGeometryTest, TheNearestSideWinsThenTheTallerThenTheOneBefore)
{
    QRectF available(0, 0, 800, 1000);
    QRectF anchor(0, 450, 800, 100);
    // Equal rooms of 450: both are equally near a pointer in the middle of the anchor and equally tall.
    EXPECT_EQ(frame(QSizeF(384, 400), anchor, QPointF(400, 500), available), QRectF(208, 50, 384, 400));
    // The pointer near the anchor's bottom edge: the card after it is nearer.
    EXPECT_EQ(frame(QSizeF(384, 400), anchor, QPointF(400, 549), available), QRectF(208, 550, 384, 400));
    // As near, but more room after: the taller one wins.
    QRectF lower(0, 400, 800, 100);
    EXPECT_EQ(frame(QSizeF(384, 600), lower, QPointF(400, 450), available), QRectF(208, 500, 384, 500));
    // Side candidates follow the same rule: the nearer side of a wide anchor.
    QRectF wide(0, 0, 1000, 600);
    EXPECT_EQ(frame(QSizeF(300, 400), QRectF(310, 0, 380, 600), QPointF(680, 300), wide), QRectF(690, 100, 300, 400));
}

TEST(WindowPreviewGeometryTest, APointerOutsideTheVisibleAnchorCountsAsItsCentre)
{
    QRectF anchor(100, 100, 200, 76);
    EXPECT_EQ(frame(card, anchor, QPointF(700, 500), host800), frame(card, anchor, QPointF(200, 138), host800));
    // Only the part inside the available area counts, so the centre is that part's.
    EXPECT_EQ(frame(card, QRectF(-200, 100, 300, 76), QPointF(700, 500), host800), QRectF(4, 176, 384, 420));
}

TEST(WindowPreviewGeometryTest, NoCardWithoutRoomOrWithUnusableInput)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    QRectF anchor(100, 100, 200, 76);
    EXPECT_FALSE(frame(card, QRectF(300, 0, 200, 600), QPointF(400, 300), host800));
    EXPECT_FALSE(frame(card, anchor, QPointF(150, 120), QRectF(4, 4, 239.9, 592)));
    EXPECT_FALSE(frame(card, anchor, QPointF(150, 120), QRectF(4, 4, 792, 296)));
    EXPECT_FALSE(frame(QSizeF(239, 423), anchor, QPointF(150, 120), host800));
    EXPECT_FALSE(frame(QSizeF(384, 296), anchor, QPointF(150, 120), host800));
    EXPECT_FALSE(frame(QSizeF(384, infinity), anchor, QPointF(150, 120), host800));
    EXPECT_FALSE(frame(card, QRectF(nan, 100, 200, 76), QPointF(150, 120), host800));
    EXPECT_FALSE(frame(card, QRectF(100, 100, 0, 76), QPointF(150, 120), host800));
    EXPECT_FALSE(frame(card, QRectF(900, 100, 200, 76), QPointF(950, 120), host800));
    EXPECT_TRUE(frame(card, anchor, QPointF(150, 120), QRectF(4, 4, 240, 600)));
}

TEST(WindowPreviewGeometryTest, TheCardSizeFollowsTheWindowsShapeWithinBounds)
{
    using WindowPreviewGeometry::desiredSize;
    QRectF wide(0, 0, 2000, 2000);
    // 16:10 window: 0.625 × 360 = 225 points of image.
    EXPECT_EQ(desiredSize(wide, QRectF(0, 0, 1600, 1000)), QSizeF(384, 351));
    EXPECT_EQ(desiredSize(QRectF(0, 0, 300, 800), QRectF(0, 0, 1600, 1000)), QSizeF(300, 298.5));
    // A zero width counts as 1, so the image is as tall as allowed; a non-finite shape counts as 0.6.
    EXPECT_EQ(desiredSize(wide, QRectF(0, 0, 0, 500)), QSizeF(384, 463));
    EXPECT_EQ(desiredSize(wide, QRectF(0, 0, 100, std::numeric_limits<double>::infinity())), QSizeF(384, 342));
    EXPECT_EQ(desiredSize(wide, QRectF(0, 0, 1000, 10)), QSizeF(384, 297));
}

TEST(WindowPreviewGeometryTest, TheCardsSubviewsAreLaidOutFromItsTop)
{
    auto layout = WindowPreviewGeometry::layout(QSizeF(384, 423));
    EXPECT_EQ(layout.appIcon, QRectF(12, 12, 20, 20));
    EXPECT_EQ(layout.application, QRectF(39, 13, 333, 17));
    EXPECT_EQ(layout.title, QRectF(12, 38, 360, 45));
    EXPECT_EQ(layout.image, QRectF(12, 92, 360, 297));
    EXPECT_EQ(layout.fallback, QRectF(24, 212.5, 336, 56));
    EXPECT_EQ(layout.details, QRectF(12, 399, 360, 14));
}

class HoverSessionTest : public ::testing::Test {
protected:
    test::TestMac mac;
    QPointF pointer { 10, 10 };
    int asked = 0;
    int exits = 0;
    std::function<bool(const QPointF&)> inside = [](const QPointF& point) { return point.x() < 100; };
    std::shared_ptr<WindowPreviewHoverSession> session = std::make_shared<WindowPreviewHoverSession>(
        [this] {
            ++asked;
            return pointer;
        },
        [this](const QPointF& point) { return inside(point); }, [this] { ++exits; });
};

TEST_F(HoverSessionTest, LeavingTheAreaIsReportedOnceAndEndsThePoll)
{
    session->start();
    EXPECT_EQ(asked, 1);
    mac.advance(0.1);
    EXPECT_EQ(asked, 7);
    pointer = QPointF(150, 10);
    mac.advance(1.0 / 60);
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(session->isActive());
    mac.advance(1);
    EXPECT_EQ(asked, 8);
    EXPECT_EQ(exits, 1);
}

TEST_F(HoverSessionTest, StaysQuietWhileInsideAndAfterStop)
{
    inside = [](const QPointF&) { return true; };
    session->start();
    mac.advance(2);
    EXPECT_EQ(exits, 0);
    session->stop();
    int before = asked;
    pointer = QPointF(500, 500);
    mac.advance(1);
    session->check(QPointF(500, 500));
    EXPECT_EQ(asked, before);
    EXPECT_EQ(exits, 0);
}

TEST_F(HoverSessionTest, AStaleCheckDoesNotReportAfterARestart)
{
    session->start();
    // The hovered area changes under the check, which restarts the session: the old check must not report.
    bool restarted = false;
    inside = [this, &restarted](const QPointF&) {
        if (restarted)
            return true;
        restarted = true;
        session->start();
        return false;
    };
    session->check(QPointF(500, 500));
    EXPECT_EQ(exits, 0);
    EXPECT_TRUE(session->isActive());
    // A pointer reading that stops the session ends the check there.
    session->pointerLocation = [this] {
        session->stop();
        return QPointF(500, 500);
    };
    inside = [](const QPointF&) { return false; };
    session->check();
    EXPECT_EQ(exits, 0);
}

TEST_F(HoverSessionTest, ReleasingTheSessionStopsItsTimer)
{
    session->start();
    session.reset();
    mac.advance(1);
    EXPECT_EQ(asked, 1);
}

} // namespace
} // namespace pellamor
