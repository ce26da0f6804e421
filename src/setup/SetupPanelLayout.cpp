#include "setup/SetupPanelLayout.h"

#include <algorithm>
#include <numeric>

namespace pellamor {
namespace {

SetupShortcutRow shortcutRow(const SetupPanelMeasures& m, double rowWidth)
{
    SetupShortcutRow row;
    double setupWidth = m.setupTitle + 52;
    bool empty = m.shortcutTitles.empty();
    row.setupButton = QRectF(empty ? 0 : std::max(rowWidth - setupWidth, 0.0), 0, setupWidth, 34);
    if (empty)
        return row;
    double labelWidth = m.shortcutsLabel + 6;
    row.labelShown = true;
    row.label = QRectF(0, 8, labelWidth, 18);
    std::vector<double> widths;
    for (double title : m.shortcutTitles)
        widths.push_back(std::min(title + 42, 190.0));
    double start = labelWidth + 12;
    double limit = row.setupButton.x() - 12;
    double room = std::max(limit - start, 0.0);
    double total = std::accumulate(widths.begin(), widths.end(), 0.0) + 6.0 * (widths.size() - 1);
    double otherWidth = m.otherTitle + 32;
    double edge = total <= room ? limit : limit - otherWidth - 6;
    double x = start;
    for (std::size_t index = 0; index < widths.size(); ++index) {
        if (row.overflow.empty() && x + widths[index] <= edge) {
            row.shortcuts.push_back(QRectF(x, 4, widths[index], 26));
            x += widths[index] + 6;
            continue;
        }
        row.shortcuts.push_back(std::nullopt);
        row.overflow.push_back(index);
    }
    if (!row.overflow.empty())
        row.more = QRectF(x, 4, otherWidth, 26);
    return row;
}

} // namespace

SetupPanelLayout setupPanelLayout(const SetupPanelMeasures& m)
{
    SetupPanelLayout out;
    double W = std::max(m.width, 0.0);
    double H = std::max(m.height, 0.0);
    double LW = std::min(std::max(0.34 * W, 230.0), 310.0);
    out.libraryWidth = LW;

    double RW = m.refreshTitle + 38;
    double AW = m.actionsShown ? 88 : 0;
    double BW = RW + (m.actionsShown ? AW + 8 : 0);
    out.titleOnButtonLine = BW + m.title + 6 + 16 <= W;
    double y0 = 0;
    if (out.titleOnButtonLine) {
        out.title = QRectF(0, 1, std::max(W - BW - 16, 0.0), 29);
    } else {
        out.title = QRectF(0, 1, W, 29);
        y0 = 34;
    }
    out.refresh = QRectF(std::max(W - BW, 0.0), y0, RW, 28);
    out.actions = QRectF(W - AW, y0, AW, 28);

    double B = y0 + 42;
    out.band = QRectF(0, B, W, 50);
    double R = std::max(W - 54, 0.0);
    out.trackingSwitch = QRectF(R, B + 12, 42, 26);
    out.trackingDetails = QRectF(R - 34, B + 11, 26, 28);
    double S = m.trackingState + 12;
    out.trackingState = QRectF(out.trackingDetails.x() - S - 8, B + 17, S, 18);
    double TW = std::max(out.trackingState.x() - 26, 0.0);
    out.trackingTitle = QRectF(12, B + 7, TW, 18);
    out.trackingDescription = QRectF(12, B + 27, TW, 16);

    out.shortcutsRow = QRectF(0, out.band.bottom() + 14, W, 34);
    if (!m.shortcutMenuOpen)
        out.shortcuts = shortcutRow(m, W);

    double Y1 = out.shortcutsRow.bottom() + 10;
    out.instructions = QRectF(0, Y1, W, 32);
    double C = Y1 + 39;
    double CW = std::max(W - LW - 24, 180.0);
    double LX = CW + 24;
    out.canvasWidth = CW;
    out.canvasTitle = QRectF(0, C, CW, 23);
    double FW = m.filterTitle + 36;
    double GW = m.toggleSectionsShown ? 34 : 0;
    out.libraryTitle = QRectF(LX, C, std::max(LW - FW - GW - 8, 0.0), 23);
    out.unassignedFilter = QRectF(LX + LW - FW - GW, C - 2, FW, 27);
    out.toggleSections = QRectF(LX + LW - 28, C - 2, 28, 27);
    out.search = QRectF(LX, C + 33, LW, 25);

    double P1 = m.previewPermission;
    double P2 = m.accessibilityPermission;
    double TT = m.permissionTitle + 12;
    double PV = m.privacyTitle + 12;
    double CA = m.clearTitle + 30;
    double DA = m.deleteTitle + 30;
    double RR = CA + 10 + DA;
    out.permissionsOnOneRow = P1 + 8 + P2 + (TT + 14) + 24 + PV <= W;
    out.resetButtonsStacked = W < RR;
    double PB = out.permissionsOnOneRow ? 42 : 66;
    double RB = out.resetButtonsStacked ? 104 : 72;
    double T = std::max(C + 60, H - (PB + RB));
    out.permissionDivider = QRectF(0, T, W, 1);
    out.permissionTitle = QRectF(0, T + 13, TT, 18);
    out.privacy = QRectF(std::max(W - PV, 0.0), T + 9, PV, 26);
    double px = out.permissionsOnOneRow ? TT + 14 : 0;
    double py = out.permissionsOnOneRow ? T + 9 : T + 35;
    out.previewPermission = QRectF(px, py, P1, 24);
    out.accessibilityPermission = QRectF(px + P1 + 8, py, P2, 24);
    double U = T + PB;
    double RW2 = m.resetTitle + 8;
    out.resetDivider = QRectF(0, U, W, 1);
    out.resetTitle = QRectF(0, U + 10, RW2, 18);
    out.resetHint = QRectF(RW2 + 12, U + 10, std::max(W - RW2 - 12, 0.0), 18);
    out.clearAssignments = QRectF(0, U + 34, std::min(CA, W), 28);
    out.deleteDesktops = out.resetButtonsStacked ? QRectF(0, U + 66, std::min(DA, W), 28)
                                                 : QRectF(CA + 10, U + 34, std::min(DA, W), 28);

    double K = T - 31 - C;
    out.divider = QRectF(CW + 12, C - 4, 1, std::max(K + 4, 0.0));
    out.canvasScroll = QRectF(0, C + 34, CW, std::max(K - 34, 0.0));
    out.libraryScroll = QRectF(LX, C + 67, LW, std::max(K - 67, 0.0));
    out.status = QRectF(0, T - 26, W, 20);
    return out;
}

} // namespace pellamor
