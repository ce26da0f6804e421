#include "desktops/MissionControlCreator.h"

#include "platform/Platform.h"
#include "support/TestMac.h"
#include "support/WorldBuilder.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

using Messages = std::vector<std::optional<std::string>>;

class MissionControlCreatorTest : public ::testing::Test {
protected:
    test::TestMac mac { test::world().display("DISPLAY-A", { 1, 2 }).display("DISPLAY-B", { 3 }) };
    std::shared_ptr<MissionControlCreator> creator = std::make_shared<MissionControlCreator>();
    Messages messages;
    std::optional<std::string> refusal;

    MissionControlCreator::Validating validating()
    {
        return [this] { return refusal; };
    }

    MissionControlCreator::Completion record()
    {
        return [this](std::optional<std::string> message) { messages.push_back(std::move(message)); };
    }
};

TEST_F(MissionControlCreatorTest, RefusalsAtTheStartComeInTheirOrderAndShowNothing)
{
    mac.world().faults.missingSymbols.insert("CoreDockSendNotification");
    mac.world().permissions.accessibility = false;
    refusal = "Refusé par l’appelant.";
    creator->add("DISPLAY-A", validating(), record());
    mac.world().permissions.accessibility = true;
    creator->add("DISPLAY-A", validating(), record());
    refusal.reset();
    creator->add("DISPLAY-A", validating(), record());
    creator->remove(2, "DISPLAY-A", validating(), record());
    mac.world().faults.missingSymbols.clear();
    creator->add("DISPLAY-Z", validating(), record());
    EXPECT_EQ(messages,
        (Messages { "Autorise l’accessibilité pour modifier les bureaux, puis réessaie.", "Refusé par l’appelant.",
            "La création de bureau est indisponible sur cette version de macOS.",
            "La suppression de bureau est indisponible sur cette version de macOS.",
            "La création de bureau est indisponible sur cette version de macOS." }));
    mac.advance(10);
    EXPECT_EQ(messages.size(), 5u);
    EXPECT_TRUE(mac.mac().log().lines().empty()) << "Mission Control was never shown";
}

TEST_F(MissionControlCreatorTest, TrustWithdrawnOrARefusalDuringTheOperationEndsIt)
{
    creator->add("DISPLAY-A", validating(), record());
    mac.advance(0.35);
    ASSERT_TRUE(messages.empty());
    mac.world().permissions.accessibility = false;
    mac.advance(0.1);
    EXPECT_EQ(messages, (Messages { "L’autorisation Accessibilité a été retirée." }));

    mac.world().permissions.accessibility = true;
    creator->remove(2, "DISPLAY-A", validating(), record());
    mac.advance(0.2);
    refusal = "Refusé par l’appelant.";
    mac.advance(0.1);
    EXPECT_EQ(messages.back(), "Refusé par l’appelant.");
    mac.advance(10);
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(mac.world().displays[0].spaces.size(), 2u) << "nothing was added or removed";
}

TEST_F(MissionControlCreatorTest, EveryPollChecksTheDesktopToRemoveIsNotCurrentAgain)
{
    creator->remove(2, "DISPLAY-A", validating(), record());
    mac.advance(0.25);
    ASSERT_TRUE(messages.empty());
    // The user opens the desktop that is about to go; the list of desktops itself does not change.
    mac.world().displays[0].current = 2;
    mac.advance(0.1);
    EXPECT_EQ(messages, (Messages { "Affiche un autre bureau avant de supprimer celui-ci." }));
    mac.advance(10);
    EXPECT_EQ(mac.world().displays[0].spaces.size(), 2u);
}

TEST_F(MissionControlCreatorTest, TheCallerIsAskedAgainOnceTheButtonIsFoundBeforeItIsPressed)
{
    mac.world().faults.missionControl.buttonDelay = 0;
    // The caller refuses as soon as it is asked twice in one poll, which only the button phase does.
    double lastAsked = -1;
    auto refusesSecondAsk = [&]() -> std::optional<std::string> {
        double now = platform().uptime();
        bool again = now == lastAsked;
        lastAsked = now;
        return again ? std::optional<std::string>("Refusé juste avant l’appui.") : std::nullopt;
    };
    creator->add("DISPLAY-A", refusesSecondAsk, record());
    mac.advance(10);
    EXPECT_EQ(messages, (Messages { "Refusé juste avant l’appui." }));
    EXPECT_EQ(mac.world().displays[0].spaces.size(), 2u) << "never pressed";
}

// The row lists the desktops the other way round: the thumbnail at desktop 2's place says "Bureau 1".
TEST_F(MissionControlCreatorTest, AThumbnailThatNamesAnotherDesktopIsNeverPressed)
{
    mac.world().faults.missionControl.reversedThumbnails = true;
    mac.world().faults.missionControl.buttonDelay = 0;
    creator->remove(2, "DISPLAY-A", validating(), record());
    mac.advance(1);
    EXPECT_EQ(messages, (Messages { "macOS n’a pas pu préparer la suppression de ce bureau. Réessaie." }))
        << "at once, not after the button window";
    mac.advance(5);
    EXPECT_EQ(messages.size(), 1u);
    const auto& spaces = mac.world().displays[0].spaces;
    ASSERT_EQ(spaces.size(), 2u) << "nothing removed";

    // Where the row and the window server agree, the same description lets the press through.
    mac.world().faults.missionControl.reversedThumbnails = false;
    creator->close();
    creator->remove(2, "DISPLAY-A", validating(), record());
    mac.advance(2);
    EXPECT_EQ(messages.back(), std::nullopt);
    EXPECT_EQ(mac.world().displays[0].spaces.size(), 1u);
}

} // namespace
} // namespace pellamor
