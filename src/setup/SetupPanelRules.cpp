#include "setup/SetupPanelRules.h"

#include "assistant/Localization.h"
#include "assistant/TextCase.h"
#include "setup/ContentText.h"
#include "setup/ProjectOrder.h"

#include <algorithm>
#include <set>

namespace pellamor::SetupPanelRules {

bool equalIgnoringCase(const std::string& a, const std::string& b)
{
    return a == b || lowercased(a) == lowercased(b);
}

std::vector<std::string> displayOrder(const std::optional<std::vector<std::string>>& given,
    const std::vector<NativeDesktopState>& desktops, const std::map<std::string, std::string>& displayNames)
{
    std::vector<std::string> candidates;
    if (given) {
        candidates = *given;
    } else {
        for (const auto& desktop : desktops)
            candidates.push_back(desktop.display);
        for (const auto& [id, name] : displayNames)
            candidates.push_back(id);
    }
    std::vector<std::string> order;
    std::set<std::string> seen;
    for (const auto& id : candidates) {
        if (id.empty() || !seen.insert(lowercased(id)).second)
            continue;
        order.push_back(id);
    }
    return order;
}

std::string displayName(const std::string& id, const std::map<std::string, std::string>& displayNames,
    const std::vector<std::string>& displayOrder)
{
    if (auto exact = displayNames.find(id); exact != displayNames.end())
        return exact->second;
    // The map is in plain order: the first key equal ignoring case is the same whatever else it holds.
    for (const auto& [key, name] : displayNames) {
        if (equalIgnoringCase(key, id))
            return name;
    }
    auto position = std::find(displayOrder.begin(), displayOrder.end(), id);
    std::size_t number = position == displayOrder.end() ? 1 : 1 + (position - displayOrder.begin());
    return L("Écran %@", std::to_string(number));
}

bool isAssistantFallback(const OverviewProjectAssignment& assignment, int number)
{
    return assignment.usingAssistantFallback && assignment.fallbackDesktop == number;
}

std::vector<OverviewProjectAssignment> configuredProjects(const std::vector<OverviewProjectAssignment>& assignments)
{
    std::vector<OverviewProjectAssignment> configured;
    for (const auto& assignment : assignments) {
        bool hasDesktop = std::any_of(assignment.desktops.begin(), assignment.desktops.end(), [&](int number) {
            return DesktopTargets::isSupported(number) && !isAssistantFallback(assignment, number);
        });
        if (assignment.unavailable || hasDesktop)
            configured.push_back(assignment);
    }
    sortProjectRows(configured);
    return configured;
}

std::optional<NativeDesktopState> linkedDesktop(const OverviewProjectAssignment& project, const std::string& display,
    const std::vector<NativeDesktopState>& desktops, const std::optional<std::string>& reservedDisplay)
{
    for (std::size_t index = 0; index < desktops.size(); ++index) {
        int number = static_cast<int>(index) + 1;
        const NativeDesktopState& desktop = desktops[index];
        if (!DesktopTargets::isSupported(number))
            break;
        if (std::find(project.desktops.begin(), project.desktops.end(), number) == project.desktops.end())
            continue;
        if (!equalIgnoringCase(desktop.display, display))
            continue;
        if (reservedDisplay && equalIgnoringCase(desktop.display, *reservedDisplay))
            continue;
        if (isAssistantFallback(project, number))
            continue;
        return desktop;
    }
    return std::nullopt;
}

std::string fingerprint(const Content& content)
{
    std::string out;
    out.reserve(64 + content.records.size() * 96);
    ContentText::count(out, content.desktops.size());
    for (const auto& desktop : content.desktops)
        ContentText::desktop(out, desktop);
    ContentText::count(out, content.assignments.size());
    for (const auto& assignment : content.assignments) {
        ContentText::field(out, assignment.id);
        ContentText::field(out, assignment.name);
        ContentText::count(out, assignment.desktops.size());
        for (int number : assignment.desktops)
            ContentText::number(out, number);
        ContentText::field(out, assignment.path);
        ContentText::flag(out, assignment.unavailable);
        ContentText::flag(out, assignment.usingAssistantFallback);
        ContentText::flag(out, assignment.fallbackDesktop.has_value());
        ContentText::number(out, assignment.fallbackDesktop.value_or(0));
    }
    ContentText::count(out, content.screens.size());
    for (const auto& [id, name] : content.screens) {
        ContentText::field(out, id);
        ContentText::field(out, name);
    }
    ContentText::optionalField(out, content.reservedDisplay);
    ContentText::flag(out, content.inventoryHasLoaded);
    ContentText::optionalField(out, content.selectedProjectID);
    ContentText::count(out, content.records.size());
    for (const DesktopWindow* record : content.records)
        ContentText::window(out, *record);
    return out;
}

} // namespace pellamor::SetupPanelRules
