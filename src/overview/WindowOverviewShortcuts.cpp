// Actions of the overview that move no window: a project's desktops opened from its shortcut, the desktop a
// screen card stands for, and the removal of a project's associations that no longer resolve.
#include "overview/WindowOverview.h"

#include "assistant/Localization.h"
#include "desktops/ProjectDisplayWorkspace.h"
#include "overview/WindowThumbnail.h"
#include "platform/Platform.h"
#include "platform/UUID.h"
#include "setup/ProjectDesktopSetupView.h"

#include <algorithm>

namespace pellamor {

namespace {

void finishSwitch(WindowOverviewView& overview, const MissionControlResult& result, const std::string& sent,
    const std::string& cancelled)
{
    switch (result.kind()) {
    case MissionControlResult::Kind::sent:
        return overview.finish(sent, false);
    case MissionControlResult::Kind::cancelled:
        return overview.finish(cancelled, false);
    case MissionControlResult::Kind::failed:
        return overview.finish(result.message(), true);
    }
}

} // namespace

void WindowOverviewView::installShortcutHandlers()
{
    QPointer<WindowOverviewView> self(this);
    setupView_->onOpenProjectDesktops = [self](const std::string& projectID) {
        if (self)
            self->openProjectFromShortcut(projectID);
    };
}

void WindowOverviewView::openProjectFromShortcut(const std::string& projectID)
{
    if (!visible_ || busy_ || setupView_->selectedProjectID() != projectID)
        return;
    auto assignment = std::find_if(projectSnapshot_.begin(), projectSnapshot_.end(),
        [&](const OverviewProjectAssignment& row) { return row.id == projectID; });
    if (assignment == projectSnapshot_.end() || !openProjectDesktops || !start() || !actionRequest_)
        return;
    std::string request = *actionRequest_;
    std::string name = assignment->name;
    onUserInteraction();
    showStatus(L("Ouverture des bureaux de %@…", name), false);
    QPointer<WindowOverviewView> self(this);
    auto open = openProjectDesktops;
    platform().mainQueue().async([self, request, open, projectID, name] {
        if (!self || !self->isCurrent(request))
            return;
        open(projectID, [self, request, name](MissionControlResult result) {
            if (self && self->isCurrent(request)) {
                finishSwitch(*self, result, L("Bureaux disponibles de %@ affichés.", name),
                    L("Changement annulé. Tes associations sont conservées."));
            }
        });
    });
}

void WindowOverviewView::openDesktop(const DesktopWindow& window, std::uint64_t source)
{
    if (!visible_ || busy_)
        return;
    onUserInteraction();
    std::string changed = L("Les bureaux ou la fenêtre ont changé. Actualise la vue puis réessaie.");
    auto known = std::find_if(
        desktops_.begin(), desktops_.end(), [&](const NativeDesktopState& desktop) { return desktop.spaceID == source; });
    std::optional<std::vector<NativeDesktopState>> fresh = runtime_ ? runtime_->desktops() : std::nullopt;
    if (known == desktops_.end() || !fresh || fresh->empty())
        return showStatus(changed, true);
    ProjectDesktopAssociation association(*known);
    for (std::size_t index = 0; index < fresh->size(); ++index) {
        const NativeDesktopState& desktop = (*fresh)[index];
        if (desktop.spaceID != source || !ProjectDisplayWorkspace::matches(association, desktop))
            continue;
        std::optional<DesktopWindow> now = runtime_->window(window);
        if (!now || std::find(now->spaces.begin(), now->spaces.end(), source) == now->spaces.end())
            return showStatus(changed, true);
        // The switcher reaches only the first nine desktops; a further one would post another desktop's shortcut.
        int number = static_cast<int>(index) + 1;
        if (number > 9)
            return showStatus(changed, true);
        if (!start() || !actionRequest_)
            return;
        std::string request = *actionRequest_;
        showStatus(L("Ouverture du bureau de cette fenêtre…"), false);
        QPointer<WindowOverviewView> self(this);
        switcher_.select(number, desktop.spaceID, desktop.display, desktop.spaceUUID,
            [self, request](MissionControlResult result) {
                if (self && self->isCurrent(request)) {
                    finishSwitch(*self, result, L("Le bureau de cette fenêtre est affiché."),
                        L("Ouverture du bureau annulée."));
                }
            });
        return;
    }
    showStatus(changed, true);
}

void WindowOverviewView::removeUnavailableSelection(
    const std::string& projectID, std::function<void(std::optional<std::string>)> completion)
{
    if (!removeUnavailableProject || !start())
        return;
    auto assignment = std::find_if(projectSnapshot_.begin(), projectSnapshot_.end(),
        [&](const OverviewProjectAssignment& row) { return row.id == projectID; });
    std::string name = assignment == projectSnapshot_.end() ? projectID : assignment->name;
    std::string request = UUID::random().uuidString();
    managementRequest_ = request;
    showStatus(L("Retrait des associations indisponibles de %@…", name), false);
    QPointer<WindowOverviewView> self(this);
    removeUnavailableProject(projectID, [self, request, name, completion](std::optional<std::string> problem) {
        if (self) {
            self->finishManagement(request,
                L("Les associations indisponibles de %@ ont été retirées. Ses autres bureaux sont conservés.", name),
                problem);
        }
        if (completion)
            completion(problem);
    });
}

void WindowOverviewView::finishManagement(
    const std::string& request, const std::string& success, const std::optional<std::string>& problem)
{
    if (managementRequest_ != request || !busy_)
        return;
    if (problem)
        finish(*problem, true);
    else
        finish(success, false);
}

} // namespace pellamor
