#include "windows/ArrangementFixture.h"

#include "sim/AccessibilityTree.h"

namespace pellamor {
namespace {

using test::onHiddenDesktop;
using test::onSecond;

const char* const inaccessible = "Notes ne permet pas d’accéder à cette fenêtre pour la disposer, même sur son bureau.";
using Results = std::vector<std::optional<std::string>>;

class WindowArrangementAccessEndToEndTest : public test::ArrangementFixture {
protected:
    std::uint64_t current(std::size_t display) { return mac.world().displays[display].current; }
};

TEST_F(WindowArrangementAccessEndToEndTest, AWindowOnAnotherDesktopIsReachedByOpeningItThenArranged)
{
    auto session = reach(onHiddenDesktop);
    EXPECT_EQ(opened, std::vector { 4 });
    EXPECT_TRUE(reached.empty());
    mac.advance(0.5);
    EXPECT_EQ(reached, Results { std::nullopt });
    EXPECT_EQ(current(1), 22u);
    ASSERT_TRUE(access->resolvedWindow);
    EXPECT_EQ(
        arrange(onHiddenDesktop, WindowArrangement::right, "D2", std::nullopt, access->resolvedWindow), std::nullopt);
    EXPECT_EQ(window(onHiddenDesktop).frame, QRectF(1630, 225, 570, 875));
}

TEST_F(WindowArrangementAccessEndToEndTest, AWindowOnAnActiveDesktopIsReachedAtOnce)
{
    auto session = reach(onSecond);
    EXPECT_EQ(reached, Results { std::nullopt });
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(log().empty());
    // A hung application holds the main thread no longer than this.
    EXPECT_EQ(mac.mac().accessibilityTree().windowElement(onSecond)->messagingTimeout(), 0.3);
}

TEST_F(WindowArrangementAccessEndToEndTest, AnElementThatDoesNotShowIsRefusedWithTheApplicationsName)
{
    faults().windows.hidden = { onSecond, onHiddenDesktop };
    auto atOnce = reach(onSecond);
    EXPECT_EQ(reached, Results { inaccessible });
    EXPECT_TRUE(opened.empty());

    reached.clear();
    auto afterOpening = reach(onHiddenDesktop);
    mac.advance(1.5);
    EXPECT_TRUE(reached.empty());
    EXPECT_EQ(current(1), 22u);
    mac.advance(0.2);
    EXPECT_EQ(reached, Results { inaccessible });
}

TEST_F(WindowArrangementAccessEndToEndTest, RefusalsBeforeAnythingIsOpened)
{
    mac.world().permissions.accessibility = false;
    auto untrusted = reach(onHiddenDesktop);
    EXPECT_EQ(reached, Results { "Autorise l’accessibilité pour disposer cette fenêtre." });
    mac.world().permissions.accessibility = true;

    reached.clear();
    DesktopWindow closed = record(onHiddenDesktop);
    auto environment = std::make_shared<NativeWindowArrangementAccessEnvironment>(
        runtime, closed, 22, *runtime->desktops(), monitor("D2"), switcher, nullptr, nullptr);
    mac.world().windows.pop_back();
    EXPECT_EQ(
        environment->validate(), "Cette fenêtre a été fermée ou a changé de bureau. La disposition a été arrêtée.");
    NativeWindowArrangementAccessEnvironment withoutRuntime(
        nullptr, closed, 22, *runtime->desktops(), monitor("D2"), switcher, nullptr, nullptr);
    EXPECT_EQ(
        withoutRuntime.validate(), "Cette fenêtre a été fermée ou a changé de bureau. La disposition a été arrêtée.");
    EXPECT_FALSE(withoutRuntime.accessibilityAvailable());
    EXPECT_FALSE(withoutRuntime.sourceIsActive());

    // A full-screen space is no numbered desktop, so it cannot be opened by its shortcut.
    mac.world().displays[1].spaces.push_back(sim::Space { 29, "UUID-29", sim::fullScreenSpaceType });
    sim::Window fullScreen = window(onSecond);
    fullScreen.number = 43;
    fullScreen.spaces = { 29 };
    mac.world().windows.push_back(fullScreen);
    auto unnumbered = reach(43);
    EXPECT_EQ(reached, Results { "Le bureau de cette fenêtre est indisponible." });
    EXPECT_TRUE(opened.empty());
}

TEST_F(WindowArrangementAccessEndToEndTest, AnotherScreenChangingStopsItButTheWindowsOwnScreenMay)
{
    auto session = reach(onHiddenDesktop);
    mac.mac().setCurrentSpace("D1", 12);
    mac.advance(1);
    EXPECT_EQ(reached, Results { "Les bureaux ou les écrans ont changé. La disposition a été arrêtée." });

    // Back on the first desktop of its own screen before the probe: that desktop is no longer active.
    reached.clear();
    mac.mac().setCurrentSpace("D1", 11);
    mac.mac().setCurrentSpace("D2", 21);
    faults().windows.hidden = { onHiddenDesktop };
    auto again = reach(onHiddenDesktop);
    mac.advance(0.3);
    EXPECT_TRUE(reached.empty()) << "the window's own screen switching is what the opening asked for";
    mac.mac().setCurrentSpace("D2", 21);
    mac.advance(0.1);
    EXPECT_EQ(reached, Results { "Le bureau de cette fenêtre n’est plus actif. Actualise puis réessaie." });
}

TEST_F(WindowArrangementAccessEndToEndTest, ADesktopAddedOrReplacedSinceThePlanStopsIt)
{
    const char* const changed = "Les bureaux ou les écrans ont changé. La disposition a été arrêtée.";
    auto planned = [&] {
        return std::make_shared<NativeWindowArrangementAccessEnvironment>(
            runtime, record(onSecond), 21, *runtime->desktops(), monitor("D2"), switcher, nullptr, nullptr);
    };
    auto beforeAdding = planned();
    EXPECT_EQ(beforeAdding->validate(), std::nullopt);
    std::uint64_t added = mac.mac().addSpace("D1", 1);
    EXPECT_EQ(beforeAdding->validate(), changed);

    // As many desktops as planned, one of them elsewhere.
    auto beforeReplacing = planned();
    mac.mac().removeSpace(22);
    mac.mac().addSpace("D1", 3);
    EXPECT_EQ(beforeReplacing->validate(), changed);
    mac.mac().removeSpace(added);
    EXPECT_EQ(planned()->validate(), std::nullopt);
}

TEST_F(WindowArrangementAccessEndToEndTest, ASwitchThatFailsOrIsCancelledEndsItOnce)
{
    faults().switchDelivery = sim::SwitchDelivery::never;
    auto session = reach(onHiddenDesktop);
    mac.advance(3.5);
    ASSERT_EQ(reached.size(), 1u);
    ASSERT_TRUE(reached.front());
    EXPECT_NE(
        *reached.front(), "macOS n’a pas confirmé l’ouverture du bureau de cette fenêtre. Actualise puis réessaie.")
        << "the switcher's own failure comes first and is passed on";

    reached.clear();
    faults().switchDelivery = sim::SwitchDelivery::normal;
    faults().switchDelay = 1;
    auto cancelled = reach(onHiddenDesktop);
    cancelled->cancel();
    EXPECT_EQ(reached, Results { "L’accès à la fenêtre a été annulé." });
    auto again = reach(onHiddenDesktop);
    EXPECT_EQ(reached.size(), 1u) << "the cancelled switch no longer holds the switcher";
    mac.advance(3.5);
    EXPECT_EQ(reached, (Results { "L’accès à la fenêtre a été annulé.", std::nullopt }));
}

} // namespace
} // namespace pellamor
