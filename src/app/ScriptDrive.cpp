#include "app/ScriptDrive.h"

#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "assistant/Localization.h"
#include "overview/WindowOverview.h"
#include "ui/Alert.h"
#include "ui/SheetHost.h"

#include <QPointer>

namespace pellamor::ScriptDrive {

namespace {

bool takeLock(AppDelegate& delegate)
{
    if (delegate.windowOverview && delegate.windowOverview->beginAction)
        return delegate.windowOverview->beginAction();
    if (delegate.isExecuting || delegate.isTerminating)
        return false;
    delegate.isExecuting = true;
    return true;
}

void releaseLock(AppDelegate& delegate)
{
    if (delegate.windowOverview && delegate.windowOverview->endAction) {
        delegate.windowOverview->endAction();
        return;
    }
    delegate.displayPreparationRequest.reset();
    delegate.pendingDisplayPreparation.reset();
    delegate.isExecuting = false;
}

} // namespace

void prepareDisplay(AppDelegate& delegate, const std::string& projectID, const std::string& display, std::ostream& log)
{
    auto refused = [&log, projectID](const std::string& message) {
        log << "app: display-refused project=" << projectID << " message=" << message << std::endl;
    };
    if (!takeLock(delegate)) {
        refused(L("Une autre action est en cours. Réessaie dans un instant."));
        return;
    }
    QPointer<AppDelegate> self(&delegate);
    delegate.prepareProjectDisplay(projectID, display,
        [self, &log, projectID, display, refused](
            std::optional<ProjectDisplayPreparation> preparation, std::optional<std::string> message) {
            if (!self)
                return;
            if (!message && preparation)
                message = self->validateProjectDisplay(*preparation);
            if (message || !preparation) {
                refused(message.value_or(L("Action annulée.")));
                releaseLock(*self);
                return;
            }
            ProjectDisplayPreparation prepared = *preparation;
            self->commitProjectDisplay(prepared, [self, &log, prepared, refused](std::optional<std::string> failure) {
                if (failure)
                    refused(*failure);
                else
                    log << "app: display-prepared project=" << prepared.projectID << " display=" << prepared.display
                        << " space=" << prepared.desktop.spaceID << " created=" << (prepared.created ? "true" : "false")
                        << std::endl;
                if (self)
                    releaseLock(*self);
            });
        });
}

bool confirmReset(AppDelegate& delegate, ResetKind kind)
{
    if (kind == ResetKind::assignments)
        delegate.confirmClearProjectAssignments();
    else
        delegate.confirmDeleteAllDesktops();
    auto* alert = qobject_cast<AlertSheet*>(SheetHost::attachedSheet(delegate.window.get()));
    if (!alert || !delegate.isResetting)
        return false;
    alert->respond(alertFirstButtonReturn + 1);
    return true;
}

} // namespace pellamor::ScriptDrive
