#include "assistant/Localization.h"
#include "e2e/ShellFixture.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace pellamor::test {
namespace {

class StateStatusTest : public ShellFixture {
protected:
    ~StateStatusTest() override { AppLocalization::shared().setLanguage(AppLanguage::system); }

    std::filesystem::path stateFile() const { return mac.home() / ".codex" / ".codex-global-state.json"; }

    // The status line after a launch with the state file as `prepare` leaves it, in French and in English.
    std::pair<std::string, std::string> launchedStatus(const std::function<void()>& prepare)
    {
        if (delegate) {
            delegate->applicationWillTerminate();
            delegate.reset();
            mac.advance(0.01);
        }
        AppLocalization::shared().setLanguage(AppLanguage::system);
        std::filesystem::remove(stateFile());
        prepare();
        launch();
        std::string french = status();
        AppLocalization::shared().setLanguage(AppLanguage::english);
        delegate->refreshProjects();
        return { french, status() };
    }

    void expectPrivate(const std::pair<std::string, std::string>& texts)
    {
        for (const std::string& text : { texts.first, texts.second }) {
            EXPECT_EQ(text.find(mac.home().string()), std::string::npos) << text;
            EXPECT_EQ(text.find(".json"), std::string::npos) << text;
            EXPECT_EQ(text.find("error"), std::string::npos) << text;
        }
    }
};

TEST_F(StateStatusTest, EachKindOfUnreadableStateHasItsOwnTextWithoutPathOrLibraryWords)
{
    auto missing = launchedStatus([] { });
    EXPECT_EQ(missing.first,
        "Impossible de lire les projets Codex : Codex n’a pas encore enregistré son état local. Ouvre Codex une "
        "première fois, puis clique sur Actualiser.");
    EXPECT_EQ(missing.second, "Cannot read the Codex projects: Codex has not saved its local state yet. Open Codex "
                              "once, then click “Refresh”.");
    expectPrivate(missing);
    ASSERT_TRUE(delegate->reportableError);
    EXPECT_EQ(delegate->reportableError->text, missing.second) << "the text feedback attaches";
}

TEST_F(StateStatusTest, AFolderOrAPipeIsUnreadable)
{
    auto folder = launchedStatus([this] { std::filesystem::create_directories(stateFile()); });
    EXPECT_EQ(folder.second, "Cannot read the Codex projects: Codex’s local state exists but cannot be read. Check "
                             "that it is an ordinary file you can access, then click “Refresh”.");
    expectPrivate(folder);
    std::filesystem::remove(stateFile());
    auto pipe = launchedStatus([this] { ASSERT_EQ(::mkfifo(stateFile().c_str(), 0600), 0); });
    EXPECT_EQ(pipe, folder);
}

TEST_F(StateStatusTest, ATooLargeFileIsRefusedBeforeItIsRead)
{
    auto large = launchedStatus([this] {
        std::ofstream(stateFile()) << "{}";
        std::filesystem::resize_file(stateFile(), std::uintmax_t { 300 } << 20); // sparse: nothing is written
    });
    EXPECT_EQ(large.second, "Cannot read the Codex projects: Codex’s local state is too large to be read.");
    expectPrivate(large);
}

TEST_F(StateStatusTest, BadJSONAndAnUnknownShapeAreTold)
{
    auto broken = launchedStatus([this] { writeRawState("{\"local-projects\": {"); });
    EXPECT_EQ(broken.first, "Impossible de lire les projets Codex : L’état local de Codex n’est pas un document JSON "
                            "valide. Clique sur Actualiser après sa prochaine sauvegarde par Codex.");
    expectPrivate(broken);
    auto shape = launchedStatus([this] { writeRawState("[]"); });
    EXPECT_EQ(shape.second, "Cannot read the Codex projects: Codex’s local state format is not recognised. A Codex "
                            "update may require an update of this app.");
    expectPrivate(shape);
}

} // namespace
} // namespace pellamor::test
