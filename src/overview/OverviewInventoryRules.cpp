#include "overview/OverviewInventoryRules.h"

#include "setup/ContentText.h"
#include "ui/StandardText.h"

#include <algorithm>

namespace pellamor::OverviewInventoryRules {

void sortWindows(std::vector<DesktopWindow>& windows)
{
    std::stable_sort(windows.begin(), windows.end(), [](const DesktopWindow& a, const DesktopWindow& b) {
        if (a.application != b.application)
            return localizedStandardCompare(a.application, b.application) < 0;
        if (a.title != b.title)
            return localizedStandardCompare(a.title, b.title) < 0;
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
