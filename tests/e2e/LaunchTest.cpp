#include "ui/AppConstants.h"
#include "ui/SheetHost.h"
#include "desktops/ProjectDesktopAssociations.h"
#include "e2e/ShellFixture.h"
#include "services/Onboarding.h"
#include "services/UsageAnalytics.h"

namespace pellamor::test {
namespace {

class LaunchTest : public ShellFixture { };

TEST_F(LaunchTest, AFirstLaunchStoresAnEmptyStoreAndOpensTheOnboardingOnTheNextTurn)
{
    defaults().remove(OnboardingProgress::seenKey);
    defaults().set("productAnalyticsEnabled", true);
    defaults().set("productAnalyticsState", "opted-in");
    delegate = std::make_unique<AppDelegate>();
    delegate->applicationDidFinishLaunching();
    EXPECT_FALSE(defaults().objectExists("productAnalyticsEnabled"));
    EXPECT_FALSE(defaults().objectExists("productAnalyticsState"));
    EXPECT_TRUE(UsageAnalytics::shared().isRunning());
    auto stored = defaults().data(desktopIdentitiesKey);
    ASSERT_TRUE(stored);
    auto decoded = ProjectDesktopAssociations::decode(
        std::string_view(reinterpret_cast<const char*>(stored->data()), stored->size()));
    ASSERT_TRUE(decoded);
    EXPECT_TRUE(decoded->targets.empty());
    EXPECT_FALSE(delegate->onboarding);
    EXPECT_TRUE(delegate->window->isVisible());
    mac.advance(0.01);
    ASSERT_TRUE(delegate->onboarding);
    EXPECT_EQ(SheetHost::attachedSheet(delegate->window.get()), delegate->onboarding->window());
    EXPECT_FALSE(delegate->isEnabled);
}

TEST_F(LaunchTest, LegacyNumbersAreMigratedToIdentitiesAndSwitchingStartsByItself)
{
    defaults().set(preferencesKey, PlistDictionary { { "project-b", 3 } });
    launch();
    EXPECT_FALSE(delegate->legacyAssociations);
    ASSERT_EQ(delegate->desktopAssociations.targets.count("project-b"), 1u);
    EXPECT_EQ(delegate->desktopAssociations.targets.at("project-b").front().spaceID, 12u);
    auto stored = defaults().data(desktopIdentitiesKey);
    ASSERT_TRUE(stored);
    auto decoded = ProjectDesktopAssociations::decode(std::string_view(
        reinterpret_cast<const char*>(stored->data()), stored->size()));
    ASSERT_TRUE(decoded) << "the store written is one the next launch can read";
    EXPECT_EQ(decoded->targets, (std::map<std::string, std::vector<ProjectDesktopAssociation>> {
        { "project-b", { { 12, contentDisplay, "BBBBBBBB-0000-0000-0000-000000000012" } } } }));
    EXPECT_TRUE(delegate->isEnabled);
    EXPECT_EQ(delegate->associations.at("project-b"), std::vector<int> { 3 });
}

TEST_F(LaunchTest, CorruptPendingInventoryIsKeptAndNothingSwitches)
{
    PlistArray pending { PlistDictionary { { "id", "abc" }, { "display", contentDisplay } } };
    defaults().set(pendingDesktopInventoryKey, pending);
    defaults().set(pendingDesktopAssignmentsKey, PlistDictionary { { "project-b", 3 } });
    launch();
    EXPECT_TRUE(delegate->associationDataInvalid);
    EXPECT_FALSE(delegate->isEnabled);
    EXPECT_FALSE(defaults().objectExists(desktopIdentitiesKey));
    EXPECT_EQ(*defaults().array(pendingDesktopInventoryKey), pending);
    EXPECT_NE(delegate->preflight({ 3 }, true), std::nullopt);
}

} // namespace
} // namespace pellamor::test
