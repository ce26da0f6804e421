// Which desktops a removal of every extra desktop takes and which it keeps: one per display stays.
#pragma once

#include "desktops/DesktopModel.h"

#include <optional>
#include <vector>

namespace pellamor {

struct DesktopResetPlan {
    std::vector<NativeDesktopState> before;
    // One per display: its current desktop, else its first.
    std::vector<NativeDesktopState> retained;
    // Every other desktop, in inventory order, removed in that order.
    std::vector<NativeDesktopState> targets;

    // None for an inventory that could not be planned safely.
    static std::optional<DesktopResetPlan> make(const std::vector<NativeDesktopState>& inventory);
    // Position by position the same space ids, displays and UUIDs; the current desktop is not compared.
    static bool sameIdentities(const std::vector<NativeDesktopState>& a, const std::vector<NativeDesktopState>& b);

    std::size_t displayCount() const { return retained.size(); }
};

} // namespace pellamor
