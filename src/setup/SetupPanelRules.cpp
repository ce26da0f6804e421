#include "setup/SetupPanelRules.h"

#include "assistant/Localization.h"
#include "assistant/TextCase.h"
#include "setup/ProjectOrder.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace pellamor::SetupPanelRules {
namespace {

class Encoder {
public:
    void text(std::string_view value)
    {
        out += std::to_string(value.size());
        out += ':';
        out += value;
    }
    void number(long long value) { text(std::to_string(value)); }
    void unsignedNumber(unsigned long long value) { text(std::to_string(value)); }
    void real(double value)
    {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.17g", value);
        text(buffer);
    }
    void flag(bool value) { out += value ? 'T' : 'F'; }
    void optionalText(const std::optional<std::string>& value)
    {
        flag(value.has_value());
        if (value)
            text(*value);
    }
    void count(std::size_t value) { out += '#' + std::to_string(value) + ';'; }

    std::string out;
};

} // namespace

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
    Encoder e;
    e.out.reserve(64 + content.records.size() * 96);
    e.count(content.desktops.size());
    for (const auto& desktop : content.desktops) {
        e.unsignedNumber(desktop.spaceID);
        e.unsignedNumber(desktop.currentSpaceID);
        e.text(desktop.display);
        e.optionalText(desktop.spaceUUID);
    }
    e.count(content.assignments.size());
    for (const auto& assignment : content.assignments) {
        e.text(assignment.id);
        e.text(assignment.name);
        e.count(assignment.desktops.size());
        for (int number : assignment.desktops)
            e.number(number);
        e.text(assignment.path);
        e.flag(assignment.unavailable);
        e.flag(assignment.usingAssistantFallback);
        e.flag(assignment.fallbackDesktop.has_value());
        if (assignment.fallbackDesktop)
            e.number(*assignment.fallbackDesktop);
    }
    e.count(content.screens.size());
    for (const auto& [id, name] : content.screens) {
        e.text(id);
        e.text(name);
    }
    e.optionalText(content.reservedDisplay);
    e.flag(content.inventoryHasLoaded);
    e.optionalText(content.selectedProjectID);
    e.count(content.records.size());
    for (const auto& record : content.records) {
        e.unsignedNumber(record.id);
        e.number(record.pid);
        e.text(record.application);
        e.optionalText(record.bundleID);
        e.text(record.title);
        e.real(record.frame.x());
        e.real(record.frame.y());
        e.real(record.frame.width());
        e.real(record.frame.height());
        e.count(record.spaces.size());
        for (auto space : record.spaces)
            e.unsignedNumber(space);
        e.optionalText(record.documentName);
        e.flag(record.isMinimized.has_value());
        if (record.isMinimized)
            e.flag(*record.isMinimized);
    }
    return std::move(e.out);
}

} // namespace pellamor::SetupPanelRules
