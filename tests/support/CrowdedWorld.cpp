#include "support/CrowdedWorld.h"

#include "platform/PlistValue.h"
#include "support/WorldBuilder.h"

#include <array>

namespace pellamor::test {
namespace {

constexpr std::array<const char*, 25> applicationNames { "Safari", "Terminal", "Xcode", "Notes", "Mail", "Calendar",
    "Finder", "Preview", "Music", "Slack", "Figma", "Visual Studio Code", "Zed", "iTerm", "Messages", "Photos",
    "Numbers", "Pages", "Keynote", "TextEdit", "Reminders", "Console", "Activity Monitor", "Simulator", "Docker" };
constexpr std::array<const char*, 8> titles { "README.md — projet ", "Pull request #", "Build log ", "Brouillon ",
    "Café & croissants ", "Issue | triage ", "Release notes ", "Design review " };

std::string projectName(int index)
{
    return index % 3 ? "Projet " + std::to_string(index + 1) : "Équipe " + std::to_string(index + 1) + " & co";
}

} // namespace

sim::World crowdedWorld(const Crowd& crowd)
{
    WorldBuilder builder;
    std::uint64_t space = 1;
    std::vector<std::vector<std::uint64_t>> spaces(3);
    for (int display = 0; display < 3; ++display) {
        for (int desktop = 0; desktop < crowd.desktopsPerDisplay; ++desktop)
            spaces[display].push_back(space++);
        builder.display("D" + std::to_string(display + 1) + "000000-0000-4000-8000-000000000000", spaces[display]);
    }
    builder.application(501, "com.openai.codex", "Codex");
    for (int index = 0; index < crowd.applications; ++index) {
        std::string name = applicationNames[index % applicationNames.size()];
        if (index >= static_cast<int>(applicationNames.size()))
            name += " " + std::to_string(index);
        builder.application(1000 + index, "com.example.app" + std::to_string(index), name);
    }
    builder.window(100, 501, QRectF(100, 60, 900, 700), { spaces[0][0] });
    for (int index = 0; index < crowd.windows; ++index) {
        int display = 1 + index % 2;
        double x = display * 1000.0 + 40 + (index * 37) % 500;
        builder.window(static_cast<std::uint32_t>(2000 + index), 1000 + index % crowd.applications,
            QRectF(x, 60 + (index * 23) % 200, 600, 450),
            { spaces[display][static_cast<std::size_t>(index / 2) % spaces[display].size()] });
    }
    sim::World world = builder;
    for (std::size_t index = 1; index < world.windows.size(); ++index)
        world.windows[index].title = titles[index % titles.size()] + std::to_string(index);
    world.frontmost = "com.example.app0";
    world.darkAppearance = crowd.dark;
    world.permissions.screenCapture = true;
    world.defaults["assistantScreenID"] = PlistValue(world.displays[0].id);
    // The first projects have a desktop of a content display, by number as an earlier version stored them.
    PlistDictionary numbers;
    for (int index = 0; index < std::min(2 * crowd.desktopsPerDisplay, crowd.projects); ++index)
        numbers["p-" + std::to_string(index)] = PlistValue(static_cast<std::int64_t>(crowd.desktopsPerDisplay + 1 + index));
    world.defaults["projectDesktops"] = PlistValue(numbers);
    return world;
}

std::string crowdedAssistantState(const Crowd& crowd)
{
    nlohmann::json projects = nlohmann::json::object();
    for (int index = 0; index < crowd.projects; ++index) {
        std::string id = "p-" + std::to_string(index);
        projects[id] = { { "id", id }, { "name", projectName(index) },
            { "rootPaths", { "/Users/demo/src/projet-" + std::to_string(index + 1) } } };
    }
    return nlohmann::json { { "local-projects", projects } }.dump();
}

} // namespace pellamor::test
