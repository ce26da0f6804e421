#include "e2e/ShellFixture.h"

#include "ui/AppConstants.h"
#include "ui/Label.h"
#include "platform/FileContents.h"
#include "services/Onboarding.h"

#include <QCoreApplication>
#include <nlohmann/json.hpp>

namespace pellamor::test {

sim::Display desktopDisplay(const std::string& id, std::uint32_t number, const std::string& name, QRectF frame,
    const std::string& uuidPrefix, std::vector<std::uint64_t> spaces)
{
    sim::Display display;
    display.id = id;
    display.number = number;
    display.name = name;
    display.frame = display.visibleFrame = frame;
    for (std::uint64_t space : spaces) {
        std::string suffix = std::to_string(space);
        std::string uuid = uuidPrefix + "-0000-0000-0000-" + std::string(12 - suffix.size(), '0') + suffix;
        display.spaces.push_back({ space, uuid, sim::desktopSpaceType });
    }
    display.current = spaces.front();
    return display;
}

sim::World twoScreenWorld()
{
    sim::World world;
    sim::Display main = desktopDisplay(mainDisplay, 1, "Écran principal", QRectF(0, 0, 1440, 900), "AAAAAAAA", { 1 });
    main.main = true;
    sim::Display content
        = desktopDisplay(contentDisplay, 2, "Écran de contenu", QRectF(1440, 0, 1920, 1080), "BBBBBBBB", { 11, 12 });
    world.displays = { main, content };
    world.applications
        = { { 100, "com.openai.codex", "Codex", "/Applications/Codex.app", ActivationPolicy::regular, 0 },
              { 200, "com.apple.finder", "Finder", "/System/Finder.app", ActivationPolicy::regular, 0 } };
    world.frontmost = "com.openai.codex";
    return world;
}

ShellFixture::ShellFixture()
{
    mac.mac().standardDefaults().set(OnboardingProgress::seenKey, true);
    writeState("project-a");
}

ShellFixture::~ShellFixture()
{
    if (delegate)
        delegate->applicationWillTerminate();
    delegate.reset();
    // Controllers released on the next turn go before the machine does, and so do the widgets given up
    // with deleteLater (an old menu bar), which no event loop would otherwise collect between tests.
    mac.advance(0.01);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void ShellFixture::writeRawState(const std::string& contents)
{
    ASSERT_TRUE(writeFileAtomically(mac.home() / ".codex" / ".codex-global-state.json", contents));
}

void ShellFixture::writeState(const std::string& selected)
{
    nlohmann::json state = {
        { "local-projects",
            { { "project-a",
                  { { "id", "project-a" }, { "name", "A" },
                      { "rootPaths", { (mac.home() / "src" / "a").string() } } } },
                { "project-b",
                    { { "id", "project-b" }, { "name", "B" }, { "rootPaths", nlohmann::json::array() } } } } },
        { "selected-project", { { "type", "local" }, { "projectId", selected } } },
    };
    writeRawState(state.dump());
}

void ShellFixture::associateProjectB()
{
    ProjectDesktopAssociations store;
    store.targets["project-b"]
        = { ProjectDesktopAssociation { 12, contentDisplay, "BBBBBBBB-0000-0000-0000-000000000012" } };
    std::optional<std::string> data = store.encodedData();
    ASSERT_TRUE(data);
    defaults().set(desktopIdentitiesKey, PlistData(data->begin(), data->end()));
}

void ShellFixture::launch()
{
    delegate = std::make_unique<AppDelegate>();
    delegate->applicationDidFinishLaunching();
    mac.advance(0.01);
}

std::vector<std::string> ShellFixture::newLogLines()
{
    const std::vector<std::string>& lines = mac.mac().log().lines();
    std::vector<std::string> fresh(lines.begin() + static_cast<std::ptrdiff_t>(logSeen_), lines.end());
    logSeen_ = lines.size();
    return fresh;
}

std::string ShellFixture::status() const
{
    return delegate->statusLabel->text();
}

} // namespace pellamor::test
