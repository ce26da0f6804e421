#include "assistant/CodexStateReader.h"

#include "support/TemporaryDirectory.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <map>
#include <numeric>
#include <random>
#include <sys/stat.h>

namespace pellamor {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::vector<std::string> names(const CodexSnapshot& snapshot)
{
    std::vector<std::string> result;
    for (const Project& project : *snapshot.projects)
        result.push_back(project.name);
    return result;
}

json state(json projects)
{
    return json { { "local-projects", std::move(projects) } };
}

TEST(CodexSnapshotTest, DecodesProjectsSkippingEntriesWithoutAName)
{
    const auto snapshot = CodexSnapshot::decode(
        state({
                  { "key-a", { { "name", "Alpha" }, { "id", "id-a" }, { "rootPaths", { "/src/a", "/src/a2" } } } },
                  { "key-b", { { "name", "Beta" }, { "rootPaths", { "/src/b", 3 } } } },
                  { "key-c", { { "name", 12 } } },
                  { "key-d", { { "id", "id-d" } } },
                  { "key-e", json::object() },
                  { "key-f", { { "name", "Phi" }, { "id", 5 }, { "rootPaths", "/src/f" } } },
              })
            .dump());
    EXPECT_EQ(*snapshot.projects,
        (std::vector<Project> {
            { "id-a", "Alpha", { "/src/a", "/src/a2" } }, { "key-b", "Beta", {} }, { "key-f", "Phi", {} } }));
    EXPECT_FALSE(snapshot.selectedID);
    EXPECT_FALSE(snapshot.selectionToken);
    EXPECT_FALSE(snapshot.sidebarSelectionToken);
    EXPECT_TRUE(snapshot.localThreadProjects->empty());

    EXPECT_TRUE(CodexSnapshot::decode(R"({"local-projects":{}})").projects->empty());
}

TEST(CodexSnapshotTest, SortsNamesLikeTheFinderKeepingEqualNamesInReadingOrder)
{
    const auto snapshot = CodexSnapshot::decode(R"({"local-projects":{
        "a":{"name":"Projet 10"}, "b":{"name":"projet 2"}, "c":{"name":"Projet 1"},
        "d":{"name":"zèbre"}, "e":{"name":"Été"}, "f":{"name":"PROJET 2"}}})");
    EXPECT_EQ(names(snapshot),
        (std::vector<std::string> { "Été", "Projet 1", "projet 2", "PROJET 2", "Projet 10", "zèbre" }));
}

TEST(CodexSnapshotTest, NamesEndingInLongRunsOfMarksSortByTheirLetters)
{
    std::string marks;
    for (int i = 0; i < 400000; ++i)
        marks += i % 2 ? "\u0316" : "\u0301";
    std::vector<Project> projects { { "b", "Page b" + marks, {} }, { "a", "page a" + marks, {} }, { "c", "Page", {} } };
    sortProjectsByName(projects);
    EXPECT_EQ(projects[0].id, "c");
    EXPECT_EQ(projects[1].id, "a");
    EXPECT_EQ(projects[2].id, "b");
}

TEST(CodexSnapshotTest, SelectionAndSidebarTokens)
{
    json local = state({ { "p", { { "name", "P" } } } });
    local["selected-project"] = { { "type", "local" }, { "projectId", "p" } };
    auto snapshot = CodexSnapshot::decode(local.dump());
    EXPECT_EQ(snapshot.selectedID, "p");
    EXPECT_EQ(snapshot.selectionToken, "project:p");
    EXPECT_EQ(snapshot.sidebarSelectionToken, "project:local:p");

    local["selected-project"] = { { "type", "remote" }, { "projectId", "r" } };
    snapshot = CodexSnapshot::decode(local.dump());
    EXPECT_FALSE(snapshot.selectedID);
    EXPECT_FALSE(snapshot.selectionToken);
    EXPECT_EQ(snapshot.sidebarSelectionToken, "project:remote:r");

    // Not compared with the projects: an unknown id still selects.
    local["selected-project"] = { { "type", "local" }, { "projectId", "gone" } };
    EXPECT_EQ(CodexSnapshot::decode(local.dump()).selectedID, "gone");

    for (json selection : { json { { "type", "local" } }, json { { "type", 1 }, { "projectId", "p" } }, json("p") }) {
        local["selected-project"] = selection;
        snapshot = CodexSnapshot::decode(local.dump());
        EXPECT_FALSE(snapshot.selectedID);
        EXPECT_FALSE(snapshot.sidebarSelectionToken);
    }
}

TEST(CodexSnapshotTest, OnlyLocalConversationsOfKnownProjectsAreMapped)
{
    json document = state({ { "p", { { "name", "P" } } }, { "q", { { "name", "Q" }, { "id", "q-id" } } } });
    document["thread-project-membership-host-ids"] = { { "T-Upper", "local" }, { "t-remote", "cloud" },
        { "t-other", "local" }, { "t-kind", "local" }, { "t-q", "local" } };
    document["thread-project-assignments"] = {
        { "T-Upper", { { "projectKind", "local" }, { "projectId", "p" } } },
        { "t-remote", { { "projectKind", "local" }, { "projectId", "p" } } },
        { "t-other", { { "projectKind", "local" }, { "projectId", "unknown" } } },
        { "t-kind", { { "projectKind", "cloud" }, { "projectId", "p" } } },
        { "t-q", { { "projectKind", "local" }, { "projectId", "q-id" } } },
        { "t-missing", { { "projectKind", "local" }, { "projectId", "p" } } },
    };
    EXPECT_EQ(*CodexSnapshot::decode(document.dump()).localThreadProjects,
        (ThreadProjects { { "t-upper", "p" }, { "t-q", "q-id" } }));

    json badMembership = document;
    badMembership["thread-project-membership-host-ids"]["t-bad"] = 1;
    EXPECT_TRUE(CodexSnapshot::decode(badMembership.dump()).localThreadProjects->empty());
    json badAssignment = document;
    badAssignment["thread-project-assignments"]["t-bad"] = "p";
    EXPECT_TRUE(CodexSnapshot::decode(badAssignment.dump()).localThreadProjects->empty());
}

TEST(CodexSnapshotTest, RepeatedMembersCountWithTheirLastValue)
{
    const auto snapshot
        = CodexSnapshot::decode(R"({"local-projects":{"p":{"name":"Old"},"q":{"name":"Q"},"p":{"name":"New"}},
        "thread-project-membership-host-ids":{"t1":"local","t2":"local","t1":"cloud","t3":"cloud","t3":"local","t4":"local"},
        "thread-project-assignments":{"t1":{"projectKind":"local","projectId":"p"},"t2":{"projectKind":"local","projectId":"p"},
            "t2":{"projectKind":"local","projectId":"q"},"t3":{"projectKind":"local","projectId":"q","projectId":"p"},
            "t4":{"projectKind":"local","projectId":"p"},"t4":{"projectKind":"cloud","projectId":"p"}}})");
    EXPECT_EQ(*snapshot.projects, (std::vector<Project> { { "p", "New", {} }, { "q", "Q", {} } }));
    EXPECT_EQ(*snapshot.localThreadProjects, (ThreadProjects { { "t2", "q" }, { "t3", "p" } }));
}

TEST(CodexSnapshotTest, ManyConversationsMapToTheirProjects)
{
    json document = state({ { "even", { { "name", "Even" } } }, { "odd", { { "name", "Odd" } } } });
    for (int i = 0; i < 5000; ++i) {
        const std::string id = "Thread-" + std::to_string(i);
        document["thread-project-membership-host-ids"][id] = i % 7 == 0 ? "cloud" : "local";
        document["thread-project-assignments"][id]
            = { { "projectKind", "local" }, { "projectId", i % 2 ? "odd" : "even" } };
    }
    const auto threads = CodexSnapshot::decode(document.dump()).localThreadProjects;
    EXPECT_EQ(threads->size(), 5000u - 715u);
    EXPECT_EQ(*threads->find("thread-4999"), "odd");
    ASSERT_TRUE(threads->find("thread-4996"));
    EXPECT_EQ(*threads->find("thread-4996"), "even");
    EXPECT_EQ(threads->find("thread-4996"), threads->find("thread-4994")) << "one copy of each project id";
    EXPECT_EQ(threads->find("thread-4996x"), nullptr);
    EXPECT_EQ(threads->find("thread-4998"), nullptr) << "a conversation of another host";
    EXPECT_EQ(threads->find("Thread-1"), nullptr) << "ids are kept in lower case";
}

// Thousands of ids met twice in different cases, the upper-case one first or last at random: the one read last
// wins every time.
TEST(CodexSnapshotTest, OfIdsDifferingOnlyInCaseTheOneReadLastWins)
{
    std::mt19937 random(7);
    std::string assignments, membership;
    std::map<std::string, std::string> expected;
    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < 3000; ++i) {
        const std::string lower = "a0b1c2d3-" + std::to_string(i);
        std::string upper = lower;
        upper[0] = 'A';
        upper[2] = 'B';
        const bool upperLast = random() % 2;
        const char* first = random() % 2 ? "p" : "q";
        const char* last = random() % 2 ? "p" : "q";
        entries.emplace_back(upperLast ? lower : upper, first);
        entries.emplace_back(upperLast ? upper : lower, last);
        expected[lower] = last;
    }
    for (const auto& [id, project] : entries) {
        assignments += (assignments.empty() ? "" : ",") + ("\"" + id + "\":{\"projectKind\":\"local\",\"projectId\":\"" + project + "\"}");
        membership += (membership.empty() ? "" : ",") + ("\"" + id + "\":\"local\"");
    }
    const auto snapshot = CodexSnapshot::decode(R"({"local-projects":{"p":{"name":"P"},"q":{"name":"Q"}},)"
        R"("thread-project-membership-host-ids":{)" + membership + R"(},"thread-project-assignments":{)" + assignments + "}}");
    ASSERT_EQ(snapshot.localThreadProjects->size(), expected.size());
    std::size_t wrong = 0;
    for (const auto& [id, project] : expected) {
        const std::string* found = snapshot.localThreadProjects->find(id);
        wrong += !found || *found != project;
    }
    EXPECT_EQ(wrong, 0u);
}

// Ids of every length up to 40 that differ only in their last characters, the membership listing them in
// another order than the assignments: each is looked up by its own text, not found by its place.
TEST(CodexSnapshotTest, ConversationsListedInAnotherOrderAreLookedUpByTheirWholeId)
{
    std::vector<std::string> ids;
    for (std::size_t length = 1; length <= 40; ++length) {
        for (char last : std::string("abcxyz")) {
            std::string id(length, '7');
            id.back() = last;
            ids.push_back(id);
        }
    }
    std::string assignments, membership;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        assignments += (i ? "," : "") + ("\"" + ids[i] + "\":{\"projectKind\":\"local\",\"projectId\":\"")
            + (i % 2 ? "odd" : "even") + "\"}";
        const std::size_t listed = (i * 97) % ids.size();
        membership += (i ? "," : "") + ("\"" + ids[listed] + "\":") + (listed % 5 ? "\"local\"" : "\"cloud\"");
    }
    ASSERT_EQ(std::gcd(std::size_t { 97 }, ids.size()), 1u);
    const std::string text = R"({"local-projects":{"even":{"name":"Even"},"odd":{"name":"Odd"}},)"
        + ("\"thread-project-membership-host-ids\":{" + membership + "},")
        + ("\"thread-project-assignments\":{" + assignments + "}}");
    const auto threads = CodexSnapshot::decode(text).localThreadProjects;
    std::size_t local = 0;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        const std::string* project = threads->find(ids[i]);
        if (i % 5 == 0) {
            EXPECT_EQ(project, nullptr) << ids[i];
            continue;
        }
        ++local;
        ASSERT_NE(project, nullptr) << ids[i];
        EXPECT_EQ(*project, i % 2 ? "odd" : "even") << ids[i];
    }
    EXPECT_EQ(threads->size(), local);
    EXPECT_EQ(threads->find(std::string(40, '7') + "a"), nullptr);
}

TEST(CodexSnapshotTest, UnknownStructureIsUnsupportedAndInvalidJSONAParseError)
{
    for (const char* unsupported :
        { "[]", "{}", R"({"local-projects":[]})", R"({"local-projects":{"a":{"name":"A"},"b":3}})" })
        EXPECT_THROW(CodexSnapshot::decode(unsupported), ReaderError) << unsupported;
    for (const char* invalid : { "", "\"fragment\"", "12", "{", R"({"local-projects":{}} x)", "{\"a\":\"\xff\"}" })
        EXPECT_THROW(CodexSnapshot::decode(invalid), JSONParseError) << invalid;

    try {
        CodexSnapshot::decode("[]");
    } catch (const ReaderError& error) {
        EXPECT_EQ(error.kind(), ReaderError::Kind::unsupportedFormat);
        EXPECT_NE(std::string(error.what()).find("Codex"), std::string::npos);
    }
}

TEST(CodexSnapshotTest, LargeNumbersAndAByteOrderMarkAreStillJSON)
{
    const auto snapshot
        = CodexSnapshot::decode("\xEF\xBB\xBF"
                                R"({"big":123456789012345678901234567890,"local-projects":{"a":{"name":"A"}}})");
    EXPECT_EQ(names(snapshot), std::vector<std::string> { "A" });
}

TEST(CodexSnapshotTest, DeepNestingBesideALargeNumberIsAParseErrorNotACrash)
{
    const std::string deep = R"({"x":[123456789012345678901234567890,)" + std::string(100000, '[')
        + std::string(100000, ']') + R"(],"local-projects":{}})";
    EXPECT_THROW(CodexSnapshot::decode(deep), JSONParseError);
    const std::string shallow = R"({"x":[123456789012345678901234567890,)" + std::string(100, '[')
        + std::string(100, ']') + R"(],"local-projects":{"a":{"name":"A"}}})";
    EXPECT_EQ(names(CodexSnapshot::decode(shallow)), std::vector<std::string> { "A" });
}

class CodexStateReaderTest : public ::testing::Test {
protected:
    test::TemporaryDirectory home;
    fs::path url = home.path() / ".codex/.codex-global-state.json";
    CodexStateReader reader { url };

    void write(const std::string& text, const fs::path& path)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    }
    void setModified(std::int64_t seconds)
    {
        const timespec times[2] = { { 0, UTIME_OMIT }, { seconds, 0 } };
        ASSERT_EQ(::utimensat(AT_FDCWD, url.c_str(), times, 0), 0);
    }
    // Changes the bytes behind the reader's back, keeping size and modification date.
    void rewriteKeepingAttributes(const std::string& text)
    {
        write(text, url);
        setModified(1'700'000'000);
    }
    static std::string named(const std::string& name)
    {
        return R"({"local-projects":{"a":{"name":")" + name + R"("}}})";
    }
};

TEST_F(CodexStateReaderTest, DecodesOnceUntilTheFileIsTouchedOrReplaced)
{
    rewriteKeepingAttributes(named("One"));
    EXPECT_EQ(names(reader.read()), std::vector<std::string> { "One" });
    rewriteKeepingAttributes(named("Two"));
    EXPECT_EQ(names(reader.read()), std::vector<std::string> { "One" }) << "unchanged attributes: cached";

    setModified(1'700'000'001);
    EXPECT_EQ(names(reader.read()), std::vector<std::string> { "Two" });

    // Replaced atomically by a file of the same size and date: a new file number.
    const fs::path replacement = home.path() / "replacement.json";
    write(named("Six"), replacement);
    const timespec times[2] = { { 0, UTIME_OMIT }, { 1'700'000'001, 0 } };
    ASSERT_EQ(::utimensat(AT_FDCWD, replacement.c_str(), times, 0), 0);
    fs::rename(replacement, url);
    EXPECT_EQ(names(reader.read()), std::vector<std::string> { "Six" });
}

TEST_F(CodexStateReaderTest, FailedDecodeKeepsTheGoodSnapshotButStillThrows)
{
    write(named("Good"), url);
    ASSERT_EQ(names(reader.read()), std::vector<std::string> { "Good" });
    write(R"({"local-projects":{"a":{"name":"Half)", url);
    EXPECT_THROW(reader.read(), JSONParseError);
    EXPECT_THROW(reader.read(), JSONParseError) << "the next read tries again";
    write("[1]", url);
    EXPECT_THROW(reader.read(), ReaderError);

    write(named("Better"), url);
    setModified(1'700'000'100);
    EXPECT_EQ(names(reader.read()), std::vector<std::string> { "Better" });
}

TEST_F(CodexStateReaderTest, MissingFileIsAFileSystemError)
{
    EXPECT_THROW(reader.read(), fs::filesystem_error);
    write(named("Late"), url);
    EXPECT_EQ(names(reader.read()), std::vector<std::string> { "Late" });
    fs::remove(url);
    EXPECT_THROW(reader.read(), fs::filesystem_error);
}

TEST_F(CodexStateReaderTest, PipeOrFolderUnderTheNameIsAnErrorNotAHang)
{
    write(named("Good"), url);
    EXPECT_EQ(names(reader.read()), std::vector<std::string> { "Good" });
    fs::remove(url);
    // No writer ever opens this pipe: a blocking read of it would never return.
    ASSERT_EQ(::mkfifo(url.c_str(), 0600), 0);
    EXPECT_THROW(reader.read(), fs::filesystem_error);
    fs::remove(url);
    fs::create_directory(url);
    EXPECT_THROW(reader.read(), fs::filesystem_error);
    fs::remove(url);
    write(named("Back"), url);
    EXPECT_EQ(names(reader.read()), std::vector<std::string> { "Back" });
}

class RecordedNavigation final : public CodexNavigationReading {
public:
    explicit RecordedNavigation(CodexNavigationObservation& observation, int& reads)
        : observation_(observation)
        , reads_(reads)
    {
    }
    std::optional<fs::path> currentLogURL() const override { return fs::path("/logs/current.log"); }
    CodexNavigationObservation read() override
    {
        ++reads_;
        return observation_;
    }

private:
    CodexNavigationObservation& observation_;
    int& reads_;
};

TEST_F(CodexStateReaderTest, NavigationIsConsultedOnlyAfterTheFileWasRead)
{
    CodexNavigationObservation observation;
    int reads = 0;
    CodexStateReader following(url, std::make_unique<RecordedNavigation>(observation, reads));
    EXPECT_EQ(following.activeNavigationLogURL(), fs::path("/logs/current.log"));
    EXPECT_EQ(reader.activeNavigationLogURL(), std::nullopt);
    EXPECT_THROW(following.read(), fs::filesystem_error);
    EXPECT_EQ(reads, 0);

    write(R"({"local-projects":{"p":{"name":"P"}},"selected-project":{"type":"local","projectId":"p"},
              "thread-project-membership-host-ids":{"t":"local"},
              "thread-project-assignments":{"t":{"projectKind":"local","projectId":"p"}}})",
        url);
    observation = { CodexNavigationSelection::localThread("t"), 2, 2 };
    const auto snapshot = following.read();
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(snapshot.selectionToken, "thread:local:t");
    EXPECT_EQ(snapshot.sidebarSelectionToken, "project:local:p");
}

} // namespace
} // namespace pellamor
