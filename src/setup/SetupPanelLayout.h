// Where the setup panel places its views, computed from its size and the widths of its texts alone, so that
// the arrangement at any width can be checked without drawing.
#pragma once

#include <QRectF>
#include <cstddef>
#include <optional>
#include <vector>

namespace pellamor {

// The widths of the texts the arrangement depends on, each the ceiling of its width in its control's font.
struct SetupPanelMeasures {
    double width = 0;
    double height = 0;
    double title = 0;
    double refreshTitle = 0;
    bool actionsShown = false;
    double trackingState = 0;
    // The shortcut row; untouched while its overflow menu is open.
    bool shortcutMenuOpen = false;
    double setupTitle = 0;
    double shortcutsLabel = 0;
    std::vector<double> shortcutTitles;
    // "Autres" in the system font of 12 points.
    double otherTitle = 0;
    double filterTitle = 0;
    bool toggleSectionsShown = false;
    double previewPermission = 0;
    double accessibilityPermission = 0;
    double permissionTitle = 0;
    double privacyTitle = 0;
    double clearTitle = 0;
    double deleteTitle = 0;
    double resetTitle = 0;
};

struct SetupShortcutRow {
    // In the row's coordinates.
    QRectF setupButton;
    bool labelShown = false;
    QRectF label;
    // One per shortcut; none for one that went to the overflow.
    std::vector<std::optional<QRectF>> shortcuts;
    std::vector<std::size_t> overflow;
    // None while the overflow is empty.
    std::optional<QRectF> more;
};

struct SetupPanelLayout {
    double libraryWidth = 0;
    double canvasWidth = 0;
    bool titleOnButtonLine = false;
    QRectF title, refresh, actions;
    QRectF band, trackingSwitch, trackingDetails, trackingState, trackingTitle, trackingDescription;
    QRectF shortcutsRow;
    // None while the overflow menu is open.
    std::optional<SetupShortcutRow> shortcuts;
    QRectF instructions, canvasTitle, libraryTitle, unassignedFilter, toggleSections, search;
    bool permissionsOnOneRow = false;
    bool resetButtonsStacked = false;
    QRectF permissionDivider, permissionTitle, privacy, previewPermission, accessibilityPermission;
    QRectF resetDivider, resetTitle, resetHint, clearAssignments, deleteDesktops;
    QRectF divider, canvasScroll, libraryScroll, status;
};

SetupPanelLayout setupPanelLayout(const SetupPanelMeasures& measures);

} // namespace pellamor
