// A desktop Mission Control made for a project although its creation could not be confirmed: still recorded
// as created, so that the cleanup removes it once empty, even when it appears after the request gave up.
#include "app/AppDelegate.h"

#include "assistant/Localization.h"
#include "desktops/CleanText.h"
#include "platform/Platform.h"

#include <algorithm>

namespace pellamor {
namespace {

// Mission Control's change may land this long after the creation gave up; later, a new desktop is the user's.
constexpr double lateCreationWindow = 10.0;
constexpr double lateCreationPoll = 0.5;

// The add button was pressed but its change not confirmed: the desktop may be there, or still come.
bool unconfirmed(const std::string& failure)
{
    std::string word = L("création");
    return failure == L("La liste des bureaux a changé pendant la %@. Actualise pour vérifier le résultat.", word)
        || failure == L("macOS n’a pas confirmé la %@. Actualise pour vérifier les bureaux.", word);
}

bool holdsDisplay(const std::vector<NativeDesktopState>& inventory, const std::string& display)
{
    return std::any_of(inventory.begin(), inventory.end(),
        [&](const NativeDesktopState& desktop) { return equalIgnoringCase(desktop.display, display); });
}

} // namespace

std::vector<NativeDesktopState> AppDelegate::desktopsAdded(const std::vector<NativeDesktopState>& inventory,
    const std::string& display, const std::set<std::uint64_t>& before)
{
    std::vector<NativeDesktopState> added;
    for (const NativeDesktopState& desktop : inventory) {
        if (!before.count(desktop.spaceID) && equalIgnoringCase(desktop.display, display))
            added.push_back(desktop);
    }
    return added;
}

void AppDelegate::recordUnconfirmedCreation(const std::string& projectID, const std::string& display,
    const std::set<std::uint64_t>& before, const std::string& failure)
{
    unconfirmedCreationWatch_.cancel();
    if (unconfirmed(failure))
        watchUnconfirmedCreation(projectID, display, before, platform().uptime() + lateCreationWindow);
}

// A desktop made before the display went is gone with it; one it comes back with is its own, not the created one.
void AppDelegate::unconfirmedCreationScreensChanged()
{
    if (!unconfirmedCreationWatch_ || unconfirmedCreationWatch_.isCancelled())
        return;
    std::optional<std::vector<NativeDesktopState>> inventory = desktopCreator->inventory();
    if (!inventory || !holdsDisplay(*inventory, unconfirmedCreationDisplay_))
        unconfirmedCreationWatch_.cancel();
}

void AppDelegate::watchUnconfirmedCreation(const std::string& projectID, const std::string& display,
    const std::set<std::uint64_t>& before, double until)
{
    if (isTerminating || !managedDesktopsReadable)
        return;
    unconfirmedCreationWatch_ = {};
    std::optional<std::vector<NativeDesktopState>> inventory = desktopCreator->inventory();
    std::vector<NativeDesktopState> added = inventory ? desktopsAdded(*inventory, display, before)
                                                      : std::vector<NativeDesktopState>();
    if (added.size() == 1) {
        if (managedDesktops.markCreated(projectID, added.front()))
            writeManagedDesktops();
        return;
    }
    // Two new desktops: which one Mission Control made for the project cannot be told.
    if (!added.empty() || platform().uptime() >= until)
        return;
    unconfirmedCreationDisplay_ = display;
    QPointer<AppDelegate> self(this);
    unconfirmedCreationWatch_
        = platform().mainQueue().asyncAfter(lateCreationPoll, [self, projectID, display, before, until] {
              if (self)
                  self->watchUnconfirmedCreation(projectID, display, before, until);
          });
}

} // namespace pellamor
