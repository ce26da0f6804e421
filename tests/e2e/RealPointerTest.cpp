// A person's pointer on a real X server: run under Xvfb with the xcb platform (skipped elsewhere), driven by
// xdotool, so that Qt's own drag and popup machinery is exercised, not a stand-in.
#include "app/MainWindow.h"
#include "e2e/ShellFixture.h"
#include "overview/WindowOverview.h"
#include "overview/WindowThumbnail.h"
#include "setup/ProjectDesktopSetupView.h"
#include "setup/ProjectDisplayDropView.h"
#include "setup/SetupPrimaryButton.h"
#include "setup/WindowDragType.h"
#include "sim/SimulatedMac.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"
#include "ui/Popover.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <set>

namespace pellamor {
namespace {

bool onAnXServer()
{
    return QGuiApplication::platformName() == QStringLiteral("xcb");
}
const char* const needsAnXServer = "needs an X server: run under xvfb-run with QT_QPA_PLATFORM=xcb";

QStringList at(QPoint global) { return { "mousemove", QString::number(global.x()), QString::number(global.y()) }; }

// Turns the event loop, and a drag's own, until the condition holds or 10 s pass.
template <class Condition> bool waitFor(Condition condition)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < 10000)
        QTest::qWait(20);
    return condition();
}

// xdotool's pointer, its commands run while the event loop turns.
class RealPointer {
public:
    ~RealPointer() { finish(); }

    void run(const QStringList& commands)
    {
        process_.start(QStringLiteral("xdotool"), commands);
        ASSERT_TRUE(process_.waitForStarted(5000)) << "xdotool is missing";
    }
    // Pressed at `from`, moved in steps as a hand does, and released over `to`.
    void drag(QPoint from, QPoint to)
    {
        QStringList commands = at(from);
        commands << "sleep" << "0.3" << "mousedown" << "1" << "sleep" << "0.2";
        for (int step = 1; step <= 8; ++step)
            commands << at(from + (to - from) * step / 8) << "sleep" << "0.1";
        commands << at(to + QPoint(3, 3)) << "sleep" << "0.3" << "mouseup" << "1";
        run(commands);
    }
    void finish() { process_.waitForFinished(5000); }
    bool finished() const { return process_.state() == QProcess::NotRunning; }

private:
    QProcess process_;
};

class RealPointerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!onAnXServer())
            GTEST_SKIP() << needsAnXServer;
    }

    test::WidgetApplication application;
    test::TestMac mac;
    RealPointer pointer;
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
    pointer.drag(from, to);

    ASSERT_TRUE(waitFor([&] { return dropped.has_value(); })) << "no drop reached the screen card";
    EXPECT_EQ(*dropped, "TOKEN:4711:93");
    EXPECT_EQ(hovers.front(), true);
    EXPECT_EQ(hovers.back(), false);
    EXPECT_TRUE(waitFor([&] { return !card->pointerInteraction(); }));
    pointer.finish();
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
    pointer.run(at(button) << "sleep" << "0.2" << "click" << "1");
    ASSERT_TRUE(waitFor([&] { return panel->projectPopover() && panel->projectPopover()->isShown(); }));
    pointer.finish();
    pointer.run(at(button) << "sleep" << "0.2" << "click" << "1");
    pointer.finish();
    QTest::qWait(300);
    EXPECT_FALSE(panel->projectPopover());
    EXPECT_FALSE(panel->setupProjectButton()->isOn());
}

// The whole application on the simulated Mac, its main window on the X server.
class RealPointerShellTest : public test::ShellFixture {
protected:
    void SetUp() override
    {
        if (!onAnXServer())
            GTEST_SKIP() << needsAnXServer;
    }
    void settle()
    {
        QCoreApplication::sendPostedEvents();
        mac.advance(0.1);
    }

    RealPointer pointer;
};

TEST_F(RealPointerShellTest, AWindowDraggedWithTheMouseOntoTheProjectsScreenMovesToItsDesktopThere)
{
    mac.world().applications.push_back(
        { 600, "com.example.zed", "Zed", "/Applications/Zed.app", ActivationPolicy::regular, 1.7e9 });
    sim::Window notes;
    notes.number = 61;
    notes.pid = 600;
    notes.title = "Notes";
    notes.frame = QRectF(100, 40, 700, 500);
    notes.spaces = { 1 };
    mac.world().windows.push_back(notes);
    associateProjectB();
    launch();
    selectTab(delegate->tabs, "windows");
    WindowOverviewView& overview = *delegate->windowOverview;
    overview.setupView()->commitProjectSelection("project-b");
    settle();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(delegate->window.get()));
    ASSERT_EQ(overview.cards(61).size(), 1u) << "the window is in the library";
    QPointer<WindowThumbnail> card = overview.cards(61).front();
    auto* target = delegate->window->findChild<ProjectDisplayDropView*>(
        QString::fromStdString("project-display:" + test::contentDisplay));
    ASSERT_NE(target, nullptr);
    newLogLines();

    // The drag runs its own loop: a timer sees the border while the pointer is over the screen card.
    std::set<std::string> bordered;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (const std::optional<std::string>& shown = overview.displayDragHighlight().displayID())
            bordered.insert(*shown);
    });
    watch.start(10);
    pointer.drag(card->mapToGlobal(card->rect().center()), target->mapToGlobal(target->rect().center()));
    ASSERT_TRUE(waitFor([&] { return pointer.finished() && !(card && card->pointerInteraction()); }));
    EXPECT_EQ(bordered, std::set<std::string> { test::contentDisplay }) << "the border shows the hovered screen";
    EXPECT_FALSE(overview.displayDragHighlight().displayID()) << "and goes when the drag ends";
    ASSERT_TRUE(overview.busy()) << "the drop started no move: " << overview.statusMessage();
    const std::string moved = "window-spaces window=61 spaces=12";
    std::vector<std::string> lines;
    for (int step = 0; step < 40 && std::find(lines.begin(), lines.end(), moved) == lines.end(); ++step) {
        settle();
        for (std::string& line : newLogLines())
            lines.push_back(std::move(line));
    }
    EXPECT_NE(std::find(lines.begin(), lines.end(), moved), lines.end()) << overview.statusMessage();
    EXPECT_EQ(mac.mac().window(61)->spaces, std::vector<std::uint64_t> { 12 });
    EXPECT_EQ(overview.statusMessage().rfind("Zed ajouté au projet sur", 0), 0u) << overview.statusMessage();
}

} // namespace
} // namespace pellamor
