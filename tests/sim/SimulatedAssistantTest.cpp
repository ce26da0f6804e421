#include "sim/SimulatedAssistant.h"

#include "assistant/CodexLogFileName.h"
#include "assistant/CodexNavigationReader.h"
#include "assistant/CodexStateReader.h"
#include "sim/ScriptRunner.h"
#include "sim/WorldFile.h"
#include "support/TemporaryDirectory.h"
#include "support/TestMac.h"
#include "support/WorldBuilder.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace pellamor {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::string conversation = "7D3F1A2B-4C5D-4E6F-8A9B-0C1D2E3F4A5B";
const json assistantMember = {
    { "projects",
        { { { "id", "project-a" }, { "name", "Alpha" }, { "rootPaths", { "/src/alpha" } } },
            { { "id", "project-b" }, { "name", "Beta" } } } },
    { "conversations", { { conversation, "project-b" } } },
    { "selected", "project-a" },
};

sim::AssistantWorld assistantWorld()
{
    return std::get<sim::AssistantWorld>(sim::readAssistantWorld(assistantMember));
}

std::uint64_t fileNumber(const fs::path& path)
{
    struct stat status { };
    EXPECT_EQ(::stat(path.c_str(), &status), 0);
    return status.st_ino;
}

TEST(SimulatedAssistantTest, StateFileReadsBackAndIsReplacedOnSelect)
{
    test::TemporaryDirectory home;
    sim::SimulatedAssistant assistant(home.path(), assistantWorld());
    ASSERT_TRUE(assistant.writeStateIfMissing());
    CodexStateReader reader(assistant.statePath());
    auto snapshot = reader.read();
    EXPECT_EQ(*snapshot.projects,
        (std::vector<Project> { { "project-a", "Alpha", { "/src/alpha" } }, { "project-b", "Beta", {} } }));
    EXPECT_EQ(snapshot.selectionToken, "project:project-a");
    EXPECT_EQ(*snapshot.localThreadProjects->find("7d3f1a2b-4c5d-4e6f-8a9b-0c1d2e3f4a5b"), "project-b");

    const auto before = fileNumber(assistant.statePath());
    EXPECT_FALSE(assistant.select("project-z"));
    ASSERT_TRUE(assistant.select("project-b"));
    EXPECT_NE(fileNumber(assistant.statePath()), before) << "saved by replacing the file";
    EXPECT_EQ(reader.read().selectionToken, "project:project-b");

    // A state file that exists at launch is left alone.
    sim::SimulatedAssistant relaunched(home.path(), assistantWorld());
    ASSERT_TRUE(relaunched.writeStateIfMissing());
    EXPECT_EQ(reader.read().selectionToken, "project:project-b");
}

TEST(SimulatedAssistantTest, NavigationIsVerifiedByTheLogReaderOfItsProcess)
{
    test::TemporaryDirectory home;
    const PlistDate now { 1'796'600'000.25 };
    sim::SimulatedAssistant assistant(home.path(), assistantWorld(), [&] { return now; });
    ASSERT_TRUE(assistant.writeStateIfMissing());
    ASSERT_TRUE(assistant.navigate(conversation, 501));

    auto navigation = std::make_unique<CodexNavigationReader>(
        home.path() / "Library/Logs/com.openai.codex",
        [] {
            return CodexProcessIdentity { 501, PlistDate { 1'796'000'000 } };
        },
        [&] { return now; });
    CodexStateReader reader(assistant.statePath(), std::move(navigation));
    const auto snapshot = reader.read();
    EXPECT_EQ(snapshot.selectionToken, "thread:local:7d3f1a2b-4c5d-4e6f-8a9b-0c1d2e3f4a5b");
    EXPECT_EQ(snapshot.selectedID, "project-b");
    EXPECT_EQ(reader.activeNavigationLogURL(), assistant.logPath());
    EXPECT_EQ(
        assistant.logPath()->parent_path(), home.path() / "Library/Logs/com.openai.codex" / *utcDayFolder(now, 0));

    // Another navigation appends to the same file; the sidebar then wins again once it changes.
    ASSERT_TRUE(assistant.navigate("11111111-2222-4333-8444-555555555555", 501));
    EXPECT_EQ(reader.read().selectionToken, std::nullopt) << "a conversation of no known project";
    ASSERT_TRUE(assistant.select("project-b"));
    EXPECT_EQ(reader.read().selectionToken, "project:project-b");
}

TEST(SimulatedAssistantTest, WorldMemberIsCheckedWithThePathOfTheFault)
{
    const auto fault = [](json member) {
        auto read = sim::readAssistantWorld(member);
        return std::holds_alternative<std::string>(read) ? std::get<std::string>(read) : std::string();
    };
    EXPECT_EQ(fault(json { { "projects", { { { "id", "a" } } } } }), ".projects[0].name: missing");
    EXPECT_EQ(
        fault(json { { "projects", { { { "id", "a" }, { "name", 3 } } } } }), ".projects[0].name: expected a string");
    EXPECT_EQ(fault(json { { "conversations", { { "not-a-uuid", "a" } } } }),
        ".conversations.not-a-uuid: expected a conversation UUID");
    EXPECT_EQ(fault(json { { "color", "blue" } }), ".color: unknown member");
    EXPECT_EQ(fault(json::array()), ": expected { \"projects\", \"conversations\", \"selected\" }");

    json world = { { "displays",
                       { { { "id", "11111111-1111-1111-1111-111111111111" }, { "number", 1 }, { "name", "Main" }, { "frame", { 0, 0, 100, 100 } },
                           { "spaces", { { { "id", 1 } } } } } } },
        { "assistant", { { "projects", "none" } } } };
    EXPECT_EQ(std::get<std::string>(sim::readWorld(world)), "assistant.projects: expected an array");
}

class AssistantScriptTest : public ::testing::Test {
protected:
    static sim::World assistantWorld(bool withAssistant = true)
    {
        sim::World world = test::world().display("D1", { 1, 2 }).application(501, "com.openai.codex", "Codex");
        if (withAssistant)
            world.extensions["assistant"] = assistantMember;
        return world;
    }
};

TEST_F(AssistantScriptTest, ScriptSelectsAndNavigatesAsTheAssistantWould)
{
    test::TestMac mac(assistantWorld());
    const fs::path state = mac.home() / ".codex/.codex-global-state.json";
    ASSERT_TRUE(fs::exists(state)) << "written at launch";
    CodexStateReader reader(state);
    EXPECT_EQ(reader.read().selectedID, "project-a");

    ASSERT_EQ(mac.mac().script().start({ { 1, "assistant", { { "select", "project-b" } } },
                  { 2, "assistant", { { "navigate", conversation } } } }),
        std::nullopt);
    mac.advance(1);
    EXPECT_EQ(reader.read().selectedID, "project-b");
    EXPECT_FALSE(mac.mac().assistant()->logPath());
    mac.advance(1);
    ASSERT_TRUE(mac.mac().assistant()->logPath());
    const std::string name = mac.mac().assistant()->logPath()->filename().string();
    EXPECT_NE(name.find("-501-t0-i1-"), std::string::npos) << name;
}

TEST_F(AssistantScriptTest, BadStepsAreRefusedAtStart)
{
    test::TestMac mac(assistantWorld());
    auto& script = mac.mac().script();
    EXPECT_EQ(script.start({ { 1, "assistant", { { "select", "project-z" } } } }),
        "script[0].assistant: select: expected the id of one of the assistant's projects");
    EXPECT_EQ(script.start({ { 1, "assistant", { { "navigate", "thread-1" } } } }),
        "script[0].assistant: navigate: expected a conversation UUID");
    EXPECT_EQ(script.start({ { 1, "assistant", { { "select", "project-a" }, { "navigate", conversation } } } }),
        "script[0].assistant: expected { \"select\": <project id> } or { \"navigate\": <conversation UUID> }");

    test::TestMac bare(assistantWorld(false));
    EXPECT_FALSE(fs::exists(bare.home() / ".codex"));
    EXPECT_EQ(bare.mac().script().start({ { 1, "assistant", { { "select", "project-a" } } } }),
        "script[0].assistant: the world has no assistant");
}

} // namespace
} // namespace pellamor
