#include "overview/OverviewInventoryRules.h"

#include "setup/ContentText.h"
#include "ui/StandardText.h"

#include <algorithm>
#include <optional>

namespace pellamor::OverviewInventoryRules {

void sortWindows(std::vector<DesktopWindow>& windows)
{
    // Texts that differ yet compare equal ("Zed", "zed") are told apart by their bytes: without that the order
    // would not be one, and the sort's result would be undefined.
    auto before = [](const std::string& a, const std::string& b) -> std::optional<bool> {
        if (a == b)
            return std::nullopt;
        int order = localizedStandardCompare(a, b);
        return order != 0 ? order < 0 : a < b;
    };
    std::stable_sort(windows.begin(), windows.end(), [&](const DesktopWindow& a, const DesktopWindow& b) {
        if (std::optional<bool> application = before(a.application, b.application))
            return *application;
        if (std::optional<bool> title = before(a.title, b.title))
            return *title;
        return a.id < b.id;
    });
}

std::string inventoryContext(const std::vector<NativeDesktopState>& desktops,
    const AssistantScreenConfiguration& configuration, const std::vector<OverviewProjectAssignment>& assignments)
{
    std::string out;
    ContentText::count(out, desktops.size());
    for (const auto& desktop : desktops)
        ContentText::desktop(out, desktop);
    std::vector<const OverviewProjectAssignment*> sorted;
    for (const auto& assignment : assignments)
        sorted.push_back(&assignment);
    std::stable_sort(sorted.begin(), sorted.end(), [](auto* a, auto* b) { return a->id < b->id; });
    ContentText::count(out, sorted.size());
    for (const auto* assignment : sorted) {
        std::string numbers;
        for (std::size_t index = 0; index < assignment->desktops.size(); ++index)
            numbers.append(index ? "," : "").append(std::to_string(assignment->desktops[index]));
        ContentText::field(out, assignment->id);
        ContentText::field(out, assignment->name);
        ContentText::field(out, assignment->path);
        ContentText::flag(out, assignment->unavailable);
        ContentText::flag(out, assignment->usingAssistantFallback);
        ContentText::field(out, assignment->fallbackDesktop ? std::to_string(*assignment->fallbackDesktop) : "");
        ContentText::field(out, numbers);
    }
    ContentText::field(out, configuration.assistant.rawValue());
    ContentText::optionalField(out, configuration.monitorID);
    return out;
}

std::string renderSignature(const std::string& context, const std::vector<DesktopWindow>& records, bool loaded)
{
    std::string out = context;
    out.reserve(context.size() + records.size() * 96 + 16);
    ContentText::count(out, records.size());
    for (const auto& record : records)
        ContentText::window(out, record);
    out += loaded ? "loaded:true" : "loaded:false";
    return out;
}

std::set<std::uint64_t> projectSpaceIDs(
    const std::vector<OverviewProjectAssignment>& assignments, const std::vector<NativeDesktopState>& desktops)
{
    std::set<std::uint64_t> spaces;
    for (const auto& assignment : assignments) {
        for (int number : assignment.desktops) {
            if (number < 1 || static_cast<std::size_t>(number) > desktops.size())
                continue;
            if (!DesktopTargets::isSupported(number))
                continue;
            if (assignment.usingAssistantFallback && assignment.fallbackDesktop == number)
                continue;
            spaces.insert(desktops[static_cast<std::size_t>(number) - 1].spaceID);
        }
    }
    return spaces;
}

} // namespace pellamor::OverviewInventoryRules
