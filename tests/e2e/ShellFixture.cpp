#include "e2e/ShellFixture.h"

#include "app/AppConstants.h"
#include "app/Label.h"
#include "platform/FileContents.h"
#include "services/Onboarding.h"

#include <nlohmann/json.hpp>

namespace pellamor::test {

sim::World twoScreenWorld()
{
    sim::World world;
    sim::Display main;
    main.id = mainDisplay;
    main.number = 1;
    main.name = "Écran principal";
    main.main = true;
    main.frame = main.visibleFrame = QRectF(0, 0, 1440, 900);
    main.spaces = { { 1, "AAAAAAAA-0000-0000-0000-000000000001", sim::desktopSpaceType } };
    main.current = 1;
    sim::Display content;
    content.id = contentDisplay;
    content.number = 2;
    content.name = "Écran de contenu";
    content.frame = content.visibleFrame = QRectF(1440, 0, 1920, 1080);
    content.spaces = { { 11, "BBBBBBBB-0000-0000-0000-000000000011", sim::desktopSpaceType },
        { 12, "BBBBBBBB-0000-0000-0000-000000000012", sim::desktopSpaceType } };
    content.current = 11;
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
    // Controllers released on the next turn go before the machine does.
    mac.advance(0.01);
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
