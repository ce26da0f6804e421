// The panel's data feed, the rules it derives from it, the project selection and the configured-project
// shortcuts.
#include "setup/ProjectDesktopSetupView.h"

#include "assistant/Localization.h"
#include "assistant/TextCase.h"
#include "platform/Platform.h"
#include "setup/ProjectSetupChooser.h"
#include "setup/SetupControls.h"
#include "setup/SetupPanelRules.h"
#include "setup/SetupPrimaryButton.h"
#include "ui/PlainText.h"
#include "ui/SystemFont.h"

#include <QMenu>

namespace pellamor {

void ProjectDesktopSetupView::update(const std::vector<NativeDesktopState>& desktops,
    const std::vector<DesktopWindow>& windows, const std::vector<OverviewProjectAssignment>& assignments,
    const std::map<std::string, std::string>& displayNames, const std::optional<std::string>& reservedDisplay,
    bool busy, bool inventoryHasLoaded, std::optional<std::uint32_t> selectedWindowID,
    const std::optional<std::vector<std::string>>& displayOrder)
{
    const auto& hidden = assistantWindowBundleIDs();
    std::vector<const DesktopWindow*> shown;
    shown.reserve(windows.size());
    for (const auto& window : windows) {
        if (window.bundleID && hidden.count(lowercased(*window.bundleID)))
            continue;
        shown.push_back(&window);
    }
    displayNames_ = displayNames;
    reservedDisplay_ = reservedDisplay;
    displayOrder_ = SetupPanelRules::displayOrder(displayOrder, desktops, displayNames_);
    inventoryHasLoaded_ = inventoryHasLoaded;
    selectedWindowID_ = selectedWindowID;
    busy_ = busy;
    if (selectedProjectID_
        && std::none_of(assignments.begin(), assignments.end(), [&](const auto& a) { return a.id == *selectedProjectID_; }))
        selectedProjectID_.reset();

    std::vector<std::pair<std::string, std::string>> screens;
    screens.reserve(displayOrder_.size());
    for (const auto& id : displayOrder_)
        screens.emplace_back(id, displayName(id));
    std::string revision = SetupPanelRules::fingerprint(
        { desktops, assignments, screens, reservedDisplay_, inventoryHasLoaded_, selectedProjectID_, shown });
    // An equal fingerprint means equal desktops, windows and assignments: nothing to store or rebuild.
    if (revision != contentRevision_) {
        contentRevision_ = std::move(revision);
        desktops_ = desktops;
        records_.clear();
        records_.reserve(shown.size());
        for (const DesktopWindow* window : shown)
            records_.push_back(*window);
        assignments_ = assignments;
        if (projectChooser_)
            projectChooser_->update(assignments_, selectedProjectID_);
        rebuildProjectShortcuts();
        rebuildCanvas();
        rebuildLibrary();
    }
    setBusy(busy);
    setNeedsLayout();
}

std::string ProjectDesktopSetupView::displayName(const std::string& id) const
{
    return SetupPanelRules::displayName(id, displayNames_, displayOrder_);
}

std::vector<OverviewProjectAssignment> ProjectDesktopSetupView::configuredProjects() const
{
    return SetupPanelRules::configuredProjects(assignments_);
}

const OverviewProjectAssignment* ProjectDesktopSetupView::selectedAssignment() const
{
    if (!selectedProjectID_)
        return nullptr;
    for (const auto& assignment : assignments_) {
        if (assignment.id == *selectedProjectID_)
            return &assignment;
    }
    return nullptr;
}

bool ProjectDesktopSetupView::hasAssignment(const std::string& projectID) const
{
    return std::any_of(assignments_.begin(), assignments_.end(), [&](const auto& a) { return a.id == projectID; });
}

std::optional<NativeDesktopState> ProjectDesktopSetupView::linkedDesktop(const std::string& display) const
{
    const OverviewProjectAssignment* project = selectedAssignment();
    if (!project)
        return std::nullopt;
    return SetupPanelRules::linkedDesktop(*project, display, desktops_, reservedDisplay_);
}

bool ProjectDesktopSetupView::isEligibleTarget(const std::string& display, const std::string& projectID) const
{
    if (busy_ || !inventoryHasLoaded_)
        return false;
    if (!selectedAssignment() || *selectedProjectID_ != projectID)
        return false;
    if (reservedDisplay_ && SetupPanelRules::equalIgnoringCase(display, *reservedDisplay_))
        return false;
    return std::any_of(displayOrder_.begin(), displayOrder_.end(),
        [&](const std::string& id) { return SetupPanelRules::equalIgnoringCase(id, display); });
}

void ProjectDesktopSetupView::commitProjectSelection(const std::optional<std::string>& projectID)
{
    if (busy_)
        return;
    if (projectID && !hasAssignment(*projectID))
        return;
    std::optional<std::string> previous = selectedProjectID_;
    selectedProjectID_ = projectID;
    updateProjectShortcutSelection();
    if (previous == projectID)
        return;
    selectedWindowID_.reset();
    selectedSource_.reset();
    contentRevision_.clear();
    rebuildCanvas();
    rebuildLibrary();
    setBusy(busy_);
    if (onProjectChange)
        onProjectChange(selectedProjectID_);
}

void ProjectDesktopSetupView::openConfiguredProject(const std::string& projectID)
{
    auto isConfigured = [this, &projectID] {
        auto configured = configuredProjects();
        return std::any_of(configured.begin(), configured.end(), [&](const auto& p) { return p.id == projectID; });
    };
    if (busy_ || !isConfigured())
        return;
    dismissProjectChooser(false);
    commitProjectSelection(projectID);
    if (!busy_ && selectedProjectID_ == projectID && isConfigured() && onOpenProjectDesktops)
        onOpenProjectDesktops(projectID);
}

void ProjectDesktopSetupView::rebuildProjectShortcuts()
{
    if (isShortcutMenuOpen_)
        return;
    std::vector<OverviewProjectAssignment> configured = configuredProjects();
    if (configured != shortcutProjects_) {
        shortcutProjects_ = std::move(configured);
        for (auto* button : shortcutButtons_) {
            button->setParent(nullptr);
            button->deleteLater();
        }
        shortcutButtons_.clear();
        QPointer<ProjectDesktopSetupView> self(this);
        for (const auto& project : shortcutProjects_) {
            auto* button = new SetupProjectShortcutButton(project.name, shortcutsRow_);
            button->projectID = project.id;
            button->setObjectName(QString::fromStdString("project-shortcut:" + project.id));
            button->setFont(systemFont(12));
            button->setCheckable(true);
            button->setSymbol("display", 11);
            button->setTruncatesTail(true);
            button->setToolTipText(project.path);
            button->setAccessibilityLabel(L("Ouvrir les écrans de %@", project.name));
            button->setEnabled(!busy_);
            std::string id = project.id;
            connect(button, &QPushButton::clicked, this, [self, id] {
                if (self)
                    self->openConfiguredProject(id);
            });
            button->show();
            shortcutButtons_.push_back(button);
        }
    }
    shortcutsRow_->show();
    shortcutsLabel_->setHidden(shortcutProjects_.empty());
    updateProjectShortcutSelection();
    setNeedsLayout();
}

void ProjectDesktopSetupView::updateProjectShortcutSelection()
{
    for (auto* button : shortcutButtons_)
        button->setChecked(selectedProjectID_ && button->projectID == *selectedProjectID_);
    for (QAction* item : moreMenu_->actions()) {
        QVariant id = item->data();
        item->setChecked(selectedProjectID_ && id.typeId() == QMetaType::QString
            && id.toString().toStdString() == *selectedProjectID_);
    }
}

void ProjectDesktopSetupView::layoutShortcutRow(const SetupShortcutRow& row)
{
    auto place = [](QWidget* view, const QRectF& frame) { view->setGeometry(frame.toAlignedRect()); };
    place(setupProjectButton_, row.setupButton);
    if (shortcutProjects_.empty()) {
        moreProjects_->hide();
        return;
    }
    place(shortcutsLabel_, row.label);
    for (std::size_t index = 0; index < shortcutButtons_.size() && index < row.shortcuts.size(); ++index) {
        const auto& frame = row.shortcuts[index];
        shortcutButtons_[index]->setHidden(!frame);
        if (frame)
            place(shortcutButtons_[index], *frame);
    }
    moreProjects_->setHidden(!row.more);
    if (row.more)
        place(moreProjects_, *row.more);
    std::vector<std::pair<std::string, std::string>> items;
    for (std::size_t index : row.overflow)
        items.emplace_back(shortcutProjects_[index].id, shortcutProjects_[index].name);
    if (items != overflowItems_) {
        overflowItems_ = items;
        moreMenu_->clear();
        QPointer<ProjectDesktopSetupView> self(this);
        for (std::size_t index : row.overflow) {
            const OverviewProjectAssignment& project = shortcutProjects_[index];
            QAction* item = moreMenu_->addAction(PlainText::title(project.name));
            item->setCheckable(true);
            item->setData(QString::fromStdString(project.id));
            item->setToolTip(PlainText::toolTip(project.path));
            item->setObjectName(QString::fromStdString("more-project:" + project.id));
            item->setEnabled(!busy_);
            std::string id = project.id;
            connect(item, &QAction::triggered, this, [self, id] {
                if (self)
                    self->openConfiguredProject(id);
            });
        }
    }
    updateProjectShortcutSelection();
}

void ProjectDesktopSetupView::overflowMenuOpened()
{
    isShortcutMenuOpen_ = true;
    ++shortcutMenuOpenings_;
    if (onProjectPickerVisibilityChange)
        onProjectPickerVisibilityChange(true);
}

void ProjectDesktopSetupView::overflowMenuClosed()
{
    isShortcutMenuOpen_ = false;
    int opening = shortcutMenuOpenings_;
    QPointer<ProjectDesktopSetupView> self(this);
    platform().mainQueue().async([self, opening] {
        if (!self || self->isShortcutMenuOpen_ || self->shortcutMenuOpenings_ != opening)
            return;
        self->rebuildProjectShortcuts();
        if (self->onProjectPickerVisibilityChange)
            self->onProjectPickerVisibilityChange(false);
    });
}

} // namespace pellamor
