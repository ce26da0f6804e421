// A person's pointer on a real X server: run under Xvfb with the xcb platform (skipped elsewhere), driven by
// xdotool, so that Qt's own drag and popup machinery is exercised, not a stand-in.
#include "overview/WindowThumbnail.h"
#include "setup/ProjectDesktopSetupView.h"
#include "setup/ProjectDisplayDropView.h"
#include "setup/SetupPrimaryButton.h"
#include "setup/WindowDragType.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"
#include "ui/Popover.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

class RealPointerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QStringLiteral("xcb"))
            GTEST_SKIP() << "needs an X server: run under xvfb-run with QT_QPA_PLATFORM=xcb";
    }

    // xdotool's commands, run while the event loop turns.
    void point(const QStringList& commands)
    {
        pointer.start(QStringLiteral("xdotool"), commands);
        ASSERT_TRUE(pointer.waitForStarted(5000)) << "xdotool is missing";
    }
    static QStringList at(QPoint global) { return { "mousemove", QString::number(global.x()), QString::number(global.y()) }; }
    // Turns the event loop, and a drag's own, until the condition holds or 10 s pass.
    template <class Condition> bool waitFor(Condition condition)
    {
        QElapsedTimer clock;
        clock.start();
        while (!condition() && clock.elapsed() < 10000)
            QTest::qWait(20);
        return condition();
    }

    test::WidgetApplication application;
    test::TestMac mac;
    QProcess pointer;
};

TEST_F(RealPointerTest, ACardDraggedWithTheMouseReachesAScreenCardThatTakesIt)
{
    QWidget window;
    window.setGeometry(100, 100, 700, 300);
    DesktopWindow record { 4711, 42, "Éditeur", std::string("com.example.editor"), "Notes", QRectF(0, 0, 800, 600),
        { 93 } };
    auto* card = new WindowThumbnail(record, 93, "TOKEN", 2, false, true, &window);
    card->setGeometry(20, 20, 220, WindowThumbnail::libraryHeight);
    card->setCanDrag(true);
    auto* target = new ProjectDisplayDropView("D2", &window);
    target->setGeometry(350, 20, 300, 200);
    std::vector<bool> hovers;
    std::optional<std::string> dropped;
    target->onDragHover = [&](bool hovering) { hovers.push_back(hovering); };
    target->accepts = [](const DraggingInfo& info) { return info.types.contains(QString::fromLatin1(windowDragType)); };
    target->onDrop = [&](const DraggingInfo& info) {
        dropped = info.string(QString::fromLatin1(windowDragType));
        return true;
    };
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QPoint from = card->mapToGlobal(QPoint(60, 24));
    QPoint to = target->mapToGlobal(QPoint(150, 100));
    QStringList commands = at(from);
    commands << "sleep" << "0.3" << "mousedown" << "1" << "sleep" << "0.2";
    for (int step = 1; step <= 8; ++step)
        commands << at(from + (to - from) * step / 8) << "sleep" << "0.1";
    commands << at(to + QPoint(3, 3)) << "sleep" << "0.3" << "mouseup" << "1";
    point(commands);

    ASSERT_TRUE(waitFor([&] { return dropped.has_value(); })) << "no drop reached the screen card";
    EXPECT_EQ(*dropped, "TOKEN:4711:93");
    EXPECT_EQ(hovers.front(), true);
    EXPECT_EQ(hovers.back(), false);
    EXPECT_TRUE(waitFor([&] { return !card->pointerInteraction(); }));
    pointer.waitForFinished(5000);
}

TEST_F(RealPointerTest, OneClickOpensTheChooserAndOneClickOnTheSameButtonClosesIt)
{
    QWidget window;
    window.setGeometry(100, 100, 820, 800);
    auto* panel = new ProjectDesktopSetupView(std::nullopt, &window);
    panel->setGeometry(0, 0, 820, 800);
    OverviewProjectAssignment project;
    project.id = "a";
    project.name = "Alpha";
    panel->update({}, {}, { project }, {}, std::nullopt, false, true, std::nullopt, std::nullopt);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QPoint button = panel->setupProjectButton()->mapToGlobal(panel->setupProjectButton()->rect().center());
    point(at(button) << "sleep" << "0.2" << "click" << "1");
    ASSERT_TRUE(waitFor([&] { return panel->projectPopover() && panel->projectPopover()->isShown(); }));
    pointer.waitForFinished(5000);
    point(at(button) << "sleep" << "0.2" << "click" << "1");
    pointer.waitForFinished(5000);
    QTest::qWait(300);
    EXPECT_FALSE(panel->projectPopover());
    EXPECT_FALSE(panel->setupProjectButton()->isOn());
}

} // namespace
} // namespace pellamor
