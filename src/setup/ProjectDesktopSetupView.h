// The panel of the "Configurer les écrans du projet" tab. It holds no model: its owner pushes data in through
// `update` and a few setters, and hears every intent of the person through the callbacks below.
#pragma once

#include "desktops/DesktopModel.h"
#include "desktops/OverviewProjectAssignment.h"
#include "setup/ProjectSetupChooser.h"
#include "setup/SetupPanelLayout.h"
#include "ui/DraggingInfo.h"
#include "ui/Popover.h"
#include "ui/SwitchControl.h"
#include "windows/DesktopWindow.h"

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QLineEdit;
class QMenu;
class QScrollArea;

namespace pellamor {

class Label;
class SetupActionButton;
class SetupApplicationSectionButton;
class SetupDocument;
class SetupPermissionStatusView;
class SetupPrimaryButton;
class SetupProjectShortcutButton;
class SetupTrackingBand;
class SymbolButton;

class ProjectDesktopSetupView : public QWidget {
    Q_OBJECT
public:
    explicit ProjectDesktopSetupView(std::optional<std::string> preselectedProjectID = std::nullopt,
        QWidget* parent = nullptr);
    ~ProjectDesktopSetupView() override;

    // Bundle identifiers whose windows are never shown.
    static const std::set<std::string>& assistantWindowBundleIDs();

    std::function<void(QWidget* button)> onActions;
    std::function<void()> onRefresh;
    std::function<void(QWidget* button)> onTrackingDetails;
    std::function<void()> onPrivacy;
    std::function<void()> onClearProjectAssignments;
    std::function<void()> onDeleteAllDesktops;
    std::function<void()> onAuthorizePreviews;
    std::function<void()> onAuthorizeAccessibility;
    std::function<void(const std::optional<std::string>& projectID)> onProjectChange;
    std::function<void(const std::string& projectID)> onOpenProjectDesktops;
    std::function<void(bool isOpen)> onProjectPickerVisibilityChange;
    std::function<bool(const DraggingInfo& info, const std::string& display)> canDropOnDisplay;
    std::function<void(const DraggingInfo& info, const std::string& display)> onDropOnDisplay;
    std::function<void(const std::string& display, bool hovering)> onDisplayDragHover;
    std::function<bool(const DraggingInfo& info)> canReturnToLibrary;
    std::function<void(const DraggingInfo& info)> onReturnToLibrary;
    std::function<QWidget*(const DesktopWindow& window, std::uint64_t source, int desktopNumber, bool isOnDisplay,
        bool showsApplicationIdentity)>
        makeWindowCard;
    std::function<void(const std::string& display)> onMoveSelectionToDisplay;
    std::function<bool(const std::string& display)> canMoveSelectionToDisplay;

    void update(const std::vector<NativeDesktopState>& desktops, const std::vector<DesktopWindow>& windows,
        const std::vector<OverviewProjectAssignment>& assignments,
        const std::map<std::string, std::string>& displayNames, const std::optional<std::string>& reservedDisplay,
        bool busy, bool inventoryHasLoaded, std::optional<std::uint32_t> selectedWindowID,
        const std::optional<std::vector<std::string>>& displayOrder = std::nullopt);
    void setBusy(bool busy);
    void updateResetState(bool enabled);
    void setTrackingSwitch(SwitchControl* toggle);
    void updateTrackingState(bool enabled);
    void setActionsAvailable(bool available);
    void updatePermissions(bool previewsAllowed, bool accessibilityAllowed);
    void showStatus(const std::string& text, bool error);
    void showResetStatus(const std::string& text, bool error);
    void revealReturnedWindow(const DesktopWindow& window);
    void updateSelection(std::optional<std::uint32_t> windowID, std::optional<std::uint64_t> source);
    void dismissProjectChooser(bool restoreFocus);

    std::string displayName(const std::string& id) const;
    std::vector<OverviewProjectAssignment> configuredProjects() const;
    std::optional<NativeDesktopState> linkedDesktop(const std::string& display) const;
    bool isEligibleTarget(const std::string& display, const std::string& projectID) const;
    void commitProjectSelection(const std::optional<std::string>& projectID);
    void openConfiguredProject(const std::string& projectID);

    // The project chooser's popover.
    void toggleProjectSetup();
    bool popoverShouldClose(const Popover* popover, const std::optional<PopoverEvent>& event) const;
    void popoverDidClose(const Popover* popover);

    const std::optional<std::string>& selectedProjectID() const { return selectedProjectID_; }
    const std::vector<NativeDesktopState>& desktops() const { return desktops_; }
    const std::vector<DesktopWindow>& records() const { return records_; }
    const std::vector<OverviewProjectAssignment>& assignments() const { return assignments_; }
    const std::vector<std::string>& displayOrder() const { return displayOrder_; }
    const std::optional<std::string>& reservedDisplay() const { return reservedDisplay_; }
    bool busy() const { return busy_; }
    bool inventoryHasLoaded() const { return inventoryHasLoaded_; }
    std::optional<std::uint32_t> selectedWindowID() const { return selectedWindowID_; }
    std::optional<std::uint64_t> selectedSource() const { return selectedSource_; }
    const std::string& contentRevision() const { return contentRevision_; }
    bool resetActionsEnabled() const { return resetActionsEnabled_; }
    const std::vector<OverviewProjectAssignment>& shortcutProjects() const { return shortcutProjects_; }
    const std::vector<SetupProjectShortcutButton*>& shortcutButtons() const { return shortcutButtons_; }
    bool isShortcutMenuOpen() const { return isShortcutMenuOpen_; }
    ProjectSetupChooserViewController* projectChooser() const { return projectChooser_.data(); }
    Popover* projectPopover() const { return projectPopover_.data(); }
    // How often the columns were rebuilt and the panel laid out, for whoever checks that nothing was redone.
    int rebuildCount() const { return rebuildCount_; }
    int layoutCount() const { return layoutCount_; }
    // Lays the panel out now when it was marked for layout.
    void layoutIfNeeded();
    // The arrangement last applied.
    const SetupPanelLayout& currentLayout() const { return layout_; }
    SetupPanelMeasures measures() const;
    const std::string& libraryQuery() const { return libraryQuery_; }
    std::optional<std::uint32_t> returnedWindowToReveal() const { return returnedWindowToReveal_; }
    const std::set<std::string>& collapsedApplications() const { return collapsedApplications_; }
    const std::set<std::string>& searchCollapsedApplications() const { return searchCollapsedApplications_; }
    const std::set<std::string>& visibleApplicationSections() const { return visibleApplicationSections_; }
    const std::vector<SetupApplicationSectionButton*>& applicationSectionButtons() const
    {
        return applicationSectionButtons_;
    }
    bool showsOnlyUnassignedWindows() const { return showsOnlyUnassignedWindows_; }
    const std::vector<SetupActionButton*>& moveButtons() const { return moveButtons_; }
    bool returnHighlighted() const { return returnHighlighted_; }
    // Whether a drop at that point of the panel would return the window: the all-windows column and the canvas
    // around its screen cards.
    bool isReturnDropLocation(const QPointF& point) const;
    // The return area's dragging-destination operations at a point of the panel; true stands for the move
    // operation, false for none.
    bool returnDragUpdated(const DraggingInfo& info, const QPointF& location);
    void returnDragExited();
    bool performReturnDrop(const DraggingInfo& info, const QPointF& location);
    static std::string sectionKey(const DesktopWindow& window);
    // The height of a screen card holding that many windows.
    static int screenCardHeight(int windowCount);
    void moveSelection(SetupActionButton* button);
    void toggleSection(SetupApplicationSectionButton* button);
    void toggleAllSections();
    void toggleUnassignedFilter();

    Label* canvasTitle() const { return canvasTitle_; }
    Label* libraryTitle() const { return libraryTitle_; }
    Label* titleLabel() const { return titleLabel_; }
    SymbolButton* actionsButton() const { return actionsButton_; }
    SymbolButton* refreshButton() const { return refreshButton_; }
    Label* trackingState() const { return trackingState_; }
    SymbolButton* trackingDetailsButton() const { return trackingDetailsButton_; }
    SetupDocument* shortcutsRow() const { return shortcutsRow_; }
    Label* shortcutsLabel() const { return shortcutsLabel_; }
    SymbolButton* moreProjects() const { return moreProjects_; }
    QMenu* moreProjectsMenu() const { return moreMenu_; }
    SetupPrimaryButton* setupProjectButton() const { return setupProjectButton_; }
    SetupDocument* canvas() const { return canvas_; }
    SetupDocument* library() const { return library_; }
    QLineEdit* searchField() const { return search_; }
    Label* status() const { return status_; }
    SetupPermissionStatusView* previewPermission() const { return previewPermission_; }
    SetupPermissionStatusView* accessibilityPermission() const { return accessibilityPermission_; }
    SymbolButton* privacyButton() const { return privacyButton_; }
    SymbolButton* clearAssignmentsButton() const { return clearAssignmentsButton_; }
    SymbolButton* deleteDesktopsButton() const { return deleteDesktopsButton_; }
    SymbolButton* unassignedFilterButton() const { return unassignedFilterButton_; }
    SymbolButton* toggleSectionsButton() const { return toggleSectionsButton_; }
    SwitchControl* trackingSwitch() const { return trackingSwitch_; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildViews();
    void setNeedsLayout();
    void layoutViews();
    void layoutShortcutRow(const SetupShortcutRow& row);
    void rebuildProjectShortcuts();
    void updateProjectShortcutSelection();
    void rebuildCanvas();
    void rebuildLibrary();
    void updateSectionControls();
    void updateMoveButtons();
    void updateUnassignedFilterControl();

    struct LibrarySection {
        std::string key;
        std::vector<const DesktopWindow*> windows;
    };
    // Windows grouped by application: larger groups first, then by application name, then by key.
    static std::vector<LibrarySection> librarySections(const std::vector<const DesktopWindow*>& windows);
    std::vector<const DesktopWindow*> listedWindows() const;
    std::set<std::string>& activeCollapsedApplications();
    void addSectionHeader(const LibrarySection& section, bool collapsed, int width, int y);
    int layoutScreenCards(const OverviewProjectAssignment& selected, int width);
    int addScreenCard(const std::string& screen, const std::string& projectID, int width, int y);
    QWidget* windowCard(const DesktopWindow& window, std::uint64_t source, int number, bool onDisplay,
        bool showsIdentity);
    bool isAlreadyOn(const std::string& display) const;
    bool prepareReturn(const DraggingInfo& info, const QPointF& location) const;
    void setReturnHighlighted(bool highlighted);
    static SetupDocument* replaceDocument(QScrollArea* scroll);
    static void endDragHovers(QWidget* document);
    static void scrollTo(QScrollArea* scroll, int offset);
    // The document's width beside the scroll bar its new height calls for.
    static double seenWidth(QScrollArea* scroll);
    void overflowMenuOpened();
    void overflowMenuClosed();
    const OverviewProjectAssignment* selectedAssignment() const;
    bool hasAssignment(const std::string& projectID) const;

    std::optional<std::string> selectedProjectID_;
    // Both deleted later: a close can start from inside either of them.
    QPointer<Popover> projectPopover_;
    std::optional<std::string> projectChooserRequest_;
    QPointer<ProjectSetupChooserViewController> projectChooser_;
    std::vector<OverviewProjectAssignment> shortcutProjects_;
    std::vector<SetupProjectShortcutButton*> shortcutButtons_;
    bool isShortcutMenuOpen_ = false;
    int shortcutMenuOpenings_ = 0;
    bool resetActionsEnabled_ = true;
    std::vector<NativeDesktopState> desktops_;
    std::vector<DesktopWindow> records_;
    std::vector<OverviewProjectAssignment> assignments_;
    std::map<std::string, std::string> displayNames_;
    std::vector<std::string> displayOrder_;
    std::optional<std::string> reservedDisplay_;
    bool busy_ = false;
    bool inventoryHasLoaded_ = false;
    std::optional<std::uint32_t> selectedWindowID_;
    std::optional<std::uint64_t> selectedSource_;
    double lastCanvasWidth_ = 0;
    double lastLibraryWidth_ = 0;
    std::string contentRevision_;
    std::set<std::string> collapsedApplications_;
    std::set<std::string> searchCollapsedApplications_;
    std::string libraryQuery_;
    bool showsOnlyUnassignedWindows_ = true;
    std::optional<std::uint32_t> returnedWindowToReveal_;
    std::set<std::string> visibleApplicationSections_;
    std::vector<SetupApplicationSectionButton*> applicationSectionButtons_;
    std::vector<SetupActionButton*> moveButtons_;
    bool returnHighlighted_ = false;
    std::vector<std::pair<std::string, std::string>> overflowItems_;
    SetupPanelLayout layout_;
    bool layoutPending_ = false;
    int rebuildCount_ = 0;
    int layoutCount_ = 0;

    Label* titleLabel_ = nullptr;
    SymbolButton* actionsButton_ = nullptr;
    SymbolButton* refreshButton_ = nullptr;
    SetupTrackingBand* trackingBand_ = nullptr;
    Label* trackingTitle_ = nullptr;
    Label* trackingDescription_ = nullptr;
    Label* trackingState_ = nullptr;
    SymbolButton* trackingDetailsButton_ = nullptr;
    SetupDocument* shortcutsRow_ = nullptr;
    Label* shortcutsLabel_ = nullptr;
    SymbolButton* moreProjects_ = nullptr;
    QMenu* moreMenu_ = nullptr;
    SetupPrimaryButton* setupProjectButton_ = nullptr;
    Label* instructions_ = nullptr;
    Label* canvasTitle_ = nullptr;
    QScrollArea* canvasScroll_ = nullptr;
    SetupDocument* canvas_ = nullptr;
    Label* libraryTitle_ = nullptr;
    SymbolButton* unassignedFilterButton_ = nullptr;
    SymbolButton* toggleSectionsButton_ = nullptr;
    QLineEdit* search_ = nullptr;
    QScrollArea* libraryScroll_ = nullptr;
    SetupDocument* library_ = nullptr;
    QWidget* divider_ = nullptr;
    Label* status_ = nullptr;
    QWidget* permissionDivider_ = nullptr;
    Label* permissionTitle_ = nullptr;
    SetupPermissionStatusView* previewPermission_ = nullptr;
    SetupPermissionStatusView* accessibilityPermission_ = nullptr;
    SymbolButton* privacyButton_ = nullptr;
    QWidget* resetDivider_ = nullptr;
    Label* resetTitle_ = nullptr;
    Label* resetHint_ = nullptr;
    SymbolButton* clearAssignmentsButton_ = nullptr;
    SymbolButton* deleteDesktopsButton_ = nullptr;
    QPointer<SwitchControl> trackingSwitch_;
};

} // namespace pellamor
