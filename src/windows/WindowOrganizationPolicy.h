// The placement rules that protect the assistant's windows and its dedicated screen.
#pragma once

#include "desktops/DesktopModel.h"
#include "windows/DesktopWindow.h"

#include <optional>
#include <string>
#include <vector>

namespace pellamor {

namespace WindowOrganizationPolicy {

// The French reason the move is refused; none when it is allowed.
std::optional<std::string> restriction(const DesktopWindow& window, std::uint64_t source, std::uint64_t destination,
    const std::vector<NativeDesktopState>& desktops, const std::optional<std::string>& reservedDisplay,
    const std::string& assistantBundleID, bool separateSpaces, bool returningToLibrary);

} // namespace WindowOrganizationPolicy

} // namespace pellamor
