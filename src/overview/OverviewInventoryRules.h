// The overview's pure rules: the order of windows, the texts that say whether what the panel shows changed,
// and the desktops assigned to projects.
#pragma once

#include "desktops/DesktopModel.h"
#include "desktops/OverviewProjectAssignment.h"
#include "desktops/ScreenPlacement.h"
#include "windows/DesktopWindow.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace pellamor::OverviewInventoryRules {

// By application name, then title, as the Finder sorts (exact equality decides a tie), then window number.
void sortWindows(std::vector<DesktopWindow>& windows);

// Every field of every desktop, the assignments in id order and the assistant with its screen.
std::string inventoryContext(const std::vector<NativeDesktopState>& desktops,
    const AssistantScreenConfiguration& configuration, const std::vector<OverviewProjectAssignment>& assignments);

// The inventory context, every field of every window, and whether an inventory was accepted.
std::string renderSignature(const std::string& context, const std::vector<DesktopWindow>& records, bool loaded);

// The space ids of the projects' desktops 1…9 present in the inventory, leaving out assistant fallbacks.
std::set<std::uint64_t> projectSpaceIDs(
    const std::vector<OverviewProjectAssignment>& assignments, const std::vector<NativeDesktopState>& desktops);

} // namespace pellamor::OverviewInventoryRules
