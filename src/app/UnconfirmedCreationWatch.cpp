// A desktop Mission Control made for a project although its creation could not be confirmed: still recorded
// as created, so that the cleanup removes it once empty, even when it appears after the request gave up.
#include "app/AppDelegate.h"

#include "assistant/Localization.h"
#include "platform/Platform.h"

namespace pellamor {
namespace {

constexpr double lateCreationWindow = 10.0;
constexpr double lateCreationPoll = 0.5;

// The add button was pressed but its change not confirmed: the desktop may be there, or still come.
bool unconfirmed(const std::string& failure)
{
    std::string word = L("création");
    return failure == L("La liste des bureaux a changé pendant la %@. Actualise pour vérifier le résultat.", word)
        || failure == L("macOS n’a pas confirmé la %@. Actualise pour vérifier les bureaux.", word);
}

} // namespace

void AppDelegate::recordUnconfirmedCreation(const std::string& projectID, const std::string& display,
    const std::vector<NativeDesktopState>& before, const std::string& failure)
{
    unconfirmedCreationWatch_.cancel();
    unconfirmedCreation_.reset();
    if (!unconfirmed(failure))
        return;
    unconfirmedCreation_.emplace(projectID, display, before, platform().uptime() + lateCreationWindow);
    watchUnconfirmedCreation();
}

void AppDelegate::watchUnconfirmedCreation()
{
    if (isTerminating || !managedDesktopsReadable) {
        unconfirmedCreation_.reset();
        return;
    }
    UnconfirmedCreation& creation = *unconfirmedCreation_;
    if (std::optional<std::vector<NativeDesktopState>> inventory = desktopCreator->inventory())
        creation.observe(*inventory);
    std::optional<NativeDesktopState> created = creation.created();
    if (created && !creation.recorded && managedDesktops.markCreated(creation.projectID, *created)) {
        creation.recorded = created;
        writeManagedDesktops();
    }
    // A second desktop came, or the display lost one of its own: the one taken for the created one may be either.
    if (!created && creation.recorded) {
        managedDesktops.remove(*creation.recorded);
        creation.recorded.reset();
        writeManagedDesktops();
    }
    if (creation.isSettled() || platform().uptime() >= creation.until) {
        unconfirmedCreation_.reset();
        return;
    }
    QPointer<AppDelegate> self(this);
    unconfirmedCreationWatch_ = platform().mainQueue().asyncAfter(lateCreationPoll, [self] {
        if (self)
            self->watchUnconfirmedCreation();
    });
}

} // namespace pellamor
