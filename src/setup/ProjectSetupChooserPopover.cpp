// The project chooser in its popover, opened and closed by the panel's "Configurer un projet" button.
#include "setup/ProjectDesktopSetupView.h"

#include "platform/UUID.h"
#include "setup/ProjectSetupChooser.h"
#include "setup/SetupPrimaryButton.h"

namespace pellamor {

void ProjectDesktopSetupView::toggleProjectSetup()
{
    if (busy_ || !window() || !isVisible())
        return;
    if (projectPopover_) {
        dismissProjectChooser(true);
        return;
    }
    std::string request = UUID::random().uuidString();
    projectChooserRequest_ = request;
    QPointer<ProjectDesktopSetupView> self(this);
    auto current = [self, request] { return self && self->projectChooserRequest_ == request; };
    auto* chooser = new ProjectSetupChooserViewController(
        [self, current](const std::string& id) {
            if (!current() || self->busy_ || !self->hasAssignment(id))
                return;
            self->dismissProjectChooser(true);
            self->commitProjectSelection(id);
        },
        [self, current] {
            if (current())
                self->dismissProjectChooser(true);
        });
    chooser->update(assignments_, selectedProjectID_);
    auto* popover = new Popover(chooser);
    popover->setContentSize(chooser->preferredContentSize());
    QPointer<Popover> weakPopover(popover);
    chooser->setOnContentSizeChange([weakPopover](QSize size) {
        if (weakPopover)
            weakPopover->setContentSize(size);
    });
    popover->shouldClose = [self, weakPopover](const std::optional<PopoverEvent>& event) {
        return !self || self->popoverShouldClose(weakPopover, event);
    };
    popover->onDidClose = [self, weakPopover] {
        if (self)
            self->popoverDidClose(weakPopover);
    };
    projectChooser_ = chooser;
    projectPopover_ = popover;
    setupProjectButton_->setOn(true);
    if (onProjectPickerVisibilityChange)
        onProjectPickerVisibilityChange(true);
    if (projectPopover_ != popover || busy_)
        return;
    popover->show(setupProjectButton_, setupProjectButton_->rect());
    chooser->focusSearch();
}

bool ProjectDesktopSetupView::popoverShouldClose(const Popover* popover, const std::optional<PopoverEvent>& event) const
{
    if (!popover || popover != projectPopover_)
        return true;
    if (!event || !event->leftMouseDown)
        return true;
    if (event->window != window())
        return true;
    // The button's own action closes the popover: one click must not close and reopen it.
    QPoint inButton = setupProjectButton_->mapFromGlobal(event->globalPosition);
    return !setupProjectButton_->rect().contains(inButton);
}

void ProjectDesktopSetupView::popoverDidClose(const Popover* popover)
{
    if (!popover || popover != projectPopover_)
        return;
    projectPopover_->deleteLater();
    projectPopover_ = nullptr;
    if (projectChooser_)
        projectChooser_->deleteLater();
    projectChooser_ = nullptr;
    projectChooserRequest_.reset();
    setupProjectButton_->setOn(false);
    if (onProjectPickerVisibilityChange)
        onProjectPickerVisibilityChange(false);
}

void ProjectDesktopSetupView::dismissProjectChooser(bool restoreFocus)
{
    if (!projectChooser_ && !projectPopover_)
        return;
    QPointer<Popover> popover = projectPopover_;
    if (projectChooser_)
        projectChooser_->deleteLater();
    projectPopover_ = nullptr;
    projectChooser_ = nullptr;
    projectChooserRequest_.reset();
    setupProjectButton_->setOn(false);
    if (popover) {
        // Its close is already accounted for here.
        popover->onDidClose = nullptr;
        popover->close();
        popover->deleteLater();
    }
    if (onProjectPickerVisibilityChange)
        onProjectPickerVisibilityChange(false);
    if (restoreFocus && setupProjectButton_->isEnabled())
        setupProjectButton_->setFocus(Qt::OtherFocusReason);
}

} // namespace pellamor
