// What the setup panel derives from its data: the order and names of the screens, the configured projects,
// a project's desktop on a screen, and the fingerprint of what it draws.
#pragma once

#include "desktops/DesktopModel.h"
#include "desktops/OverviewProjectAssignment.h"
#include "windows/DesktopWindow.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pellamor::SetupPanelRules {

// The given order, else the displays of the desktops followed by the named displays in plain order; empty ids
// dropped, and of ids equal ignoring case the first kept.
std::vector<std::string> displayOrder(const std::optional<std::vector<std::string>>& given,
    const std::vector<NativeDesktopState>& desktops, const std::map<std::string, std::string>& displayNames);

// The stored name, else the name of the first key equal ignoring case (plain order), else "Écran n".
std::string displayName(const std::string& id, const std::map<std::string, std::string>& displayNames,
    const std::vector<std::string>& displayOrder);

bool isAssistantFallback(const OverviewProjectAssignment& assignment, int number);

// Unavailable projects and those with a desktop 1…9 that is not their assistant fallback, in list order.
std::vector<OverviewProjectAssignment> configuredProjects(const std::vector<OverviewProjectAssignment>& assignments);

// The first desktop of the project on that display (not the reserved one) numbered 1…9.
std::optional<NativeDesktopState> linkedDesktop(const OverviewProjectAssignment& project, const std::string& display,
    const std::vector<NativeDesktopState>& desktops, const std::optional<std::string>& reservedDisplay);

struct Content {
    const std::vector<NativeDesktopState>& desktops;
    const std::vector<OverviewProjectAssignment>& assignments;
    // Each display id of the order with its name.
    const std::vector<std::pair<std::string, std::string>>& screens;
    const std::optional<std::string>& reservedDisplay;
    bool inventoryHasLoaded;
    const std::optional<std::string>& selectedProjectID;
    const std::vector<const DesktopWindow*>& records;
};

// Every field length-prefixed, so that no text can pass for a field boundary: different contents never give
// the same fingerprint.
std::string fingerprint(const Content& content);

bool equalIgnoringCase(const std::string& a, const std::string& b);

} // namespace pellamor::SetupPanelRules
