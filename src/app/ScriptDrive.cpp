#include "app/ScriptDrive.h"

#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "assistant/Localization.h"
#include "overview/WindowOverview.h"
#include "overview/WindowThumbnail.h"
#include "setup/ProjectDesktopSetupView.h"
#include "setup/ProjectDisplayDropView.h"
#include "setup/SetupControls.h"
#include "ui/Alert.h"
#include "ui/DragSession.h"
#include "ui/DraggingInfo.h"
#include "ui/SheetHost.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>

namespace pellamor::ScriptDrive {

namespace {

// None when the lock was taken, else why not.
std::optional<std::string> takeLock(AppDelegate& delegate)
{
    std::string busy = L("Une autre action est en cours. Réessaie dans un instant.");
    if (delegate.windowOverview && delegate.windowOverview->beginAction) {
        ActionAdmission admission = delegate.windowOverview->beginAction();
        if (admission)
            return std::nullopt;
        return admission.reason.value_or(busy);
    }
    if (delegate.isExecuting || delegate.isTerminating)
        return busy;
    delegate.isExecuting = true;
    return std::nullopt;
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
    if (std::optional<std::string> refusal = takeLock(delegate)) {
        refused(*refusal);
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

namespace {

void sendMouse(QWidget& widget, QEvent::Type type, QPointF at, Qt::MouseButtons held)
{
    QMouseEvent event(type, at, widget.mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &event);
}

} // namespace

bool dragCard(WindowThumbnail& card, const std::function<bool(const DraggingInfo&)>& target)
{
    bool dropped = false;
    setDragRunner([&](QWidget* source, QMimeData* data, const QPixmap&, DragOperations) {
        DraggingInfo info = draggingInfo(data, source);
        delete data;
        dropped = target(info);
        return dropped ? Qt::MoveAction : Qt::IgnoreAction;
    });
    QPointer<WindowThumbnail> alive(&card);
    QPointF start = QRectF(card.rect()).center();
    QPointF past = start + QPointF(WindowThumbnail::dragThreshold + 1, 0);
    sendMouse(card, QEvent::MouseButtonPress, start, Qt::LeftButton);
    if (alive)
        sendMouse(card, QEvent::MouseMove, past, Qt::LeftButton);
    if (alive)
        sendMouse(card, QEvent::MouseButtonRelease, past, Qt::NoButton);
    setDragRunner(nullptr);
    return dropped;
}

bool dragToDisplay(WindowThumbnail& card, ProjectDisplayDropView& display)
{
    QPointer<ProjectDisplayDropView> target(&display);
    return dragCard(card, [target](const DraggingInfo& info) {
        if (!target)
            return false;
        if (target->draggingUpdated(info) && target->draggingUpdated(info) && target->prepareForDragOperation(info)
            && target->performDragOperation(info))
            return true;
        target->draggingExited();
        return false;
    });
}

bool dragToLibrary(WindowThumbnail& card)
{
    QWidget* ancestor = card.parentWidget();
    while (ancestor && !qobject_cast<ProjectDesktopSetupView*>(ancestor))
        ancestor = ancestor->parentWidget();
    QPointer<ProjectDesktopSetupView> panel(qobject_cast<ProjectDesktopSetupView*>(ancestor));
    if (!panel)
        return false;
    QWidget* column = panel->library()->parentWidget();
    QPointF location = column->mapTo(panel, column->rect().center());
    return dragCard(card, [panel, location](const DraggingInfo& info) {
        if (!panel)
            return false;
        if (panel->returnDragUpdated(info, location) && panel->returnDragUpdated(info, location)
            && panel->performReturnDrop(info, location))
            return true;
        panel->returnDragExited();
        return false;
    });
}

} // namespace pellamor::ScriptDrive
