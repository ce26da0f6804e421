#include "windows/ArrangementFixture.h"

#include "support/WorldBuilder.h"

namespace pellamor::test {

namespace {

sim::World twoScreens()
{
    sim::World world = test::world()
                           .display("D1", { 11, 12 })
                           .display("D2", { 21, 22 })
                           .application(notesPid, "com.example.notes", "Notes")
                           .window(onMain, notesPid, QRectF(100, 100, 600, 400), { 11 })
                           .window(onSecond, notesPid, QRectF(1300, 400, 600, 400), { 21 })
                           .window(onHiddenDesktop, notesPid, QRectF(1300, 400, 500, 300), { 22 });
    // Bottom-left coordinates: 300 points lower than the main screen's bottom, a Dock 60 points wide on its left.
    world.displays[1].frame = QRectF(1000, -300, 1200, 900);
    world.displays[1].visibleFrame = QRectF(1060, -300, 1140, 875);
    return world;
}

} // namespace

ArrangementFixture::ArrangementFixture()
    : mac(twoScreens())
    , runtime(WindowSpaceRuntime::make())
{
}

DesktopWindow ArrangementFixture::record(std::uint32_t number)
{
    const sim::Window& found = window(number);
    return DesktopWindow { number, found.pid, "Notes", "com.example.notes", found.title, found.frame, found.spaces,
        std::nullopt, std::nullopt };
}

ConnectedMonitor ArrangementFixture::monitor(const std::string& id)
{
    for (const ConnectedMonitor& connected : ConnectedMonitor::read())
        if (connected.id == id)
            return connected;
    ADD_FAILURE() << "no screen " << id;
    return {};
}

std::optional<std::string> ArrangementFixture::arrange(std::uint32_t number, WindowArrangement arrangement,
    const std::string& screen, std::optional<QRectF> restoredFrame, AXElementRef resolvedWindow)
{
    auto environment = std::make_shared<NativeWindowArrangementEnvironment>(
        runtime, record(number), arrangement, monitor(screen), resolvedWindow, restoredFrame, nullptr);
    auto session = WindowArrangementSession::make(environment);
    std::vector<std::optional<std::string>> results;
    session->start([&](std::optional<std::string> message) { results.push_back(message); });
    mac.advance(2);
    if (results.size() != 1) {
        ADD_FAILURE() << results.size() << " completions";
        return "<none>";
    }
    return results.front();
}

std::shared_ptr<WindowArrangementAccessSession> ArrangementFixture::reach(std::uint32_t number)
{
    DesktopWindow window = record(number);
    std::string display = mac.mac().displayHolding(window.spaces.front())->id;
    access = std::make_shared<NativeWindowArrangementAccessEnvironment>(
        runtime, window, window.spaces.front(), *runtime->desktops(), monitor(display), switcher,
        [this](int desktop) { opened.push_back(desktop); }, nullptr);
    auto session = WindowArrangementAccessSession::make(access);
    session->start([this](std::optional<std::string> message) { reached.push_back(message); });
    return session;
}

} // namespace pellamor::test
