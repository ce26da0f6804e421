// Feeds the desktop inventory parse with arbitrary display dictionaries and checks what it accepts.
#include "PlistFromJson.h"
#include "desktops/DesktopModel.h"
#include "desktops/ProjectDesktopAssociations.h"

#include <cstdlib>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace pellamor;
    auto displays = fuzz::dictionariesFromJson(data, size);
    if (!displays)
        return 0;
    auto inventory = NativeDesktopState::inventory(*displays);
    if (!inventory)
        return 0;
    if (inventory->empty())
        std::abort();
    std::set<std::uint64_t> ids;
    for (const NativeDesktopState& desktop : *inventory)
        if (desktop.spaceID == 0 || !ids.insert(desktop.spaceID).second
            || (desktop.spaceUUID && desktop.spaceUUID->empty()))
            std::abort();
    for (int number = 0; number <= 10; ++number) {
        auto resolved = NativeDesktopState::resolve(number, *displays);
        bool exists = number >= 1 && number <= 9 && static_cast<std::size_t>(number) <= inventory->size();
        if (resolved.has_value() != exists || (resolved && *resolved != (*inventory)[number - 1]))
            std::abort();
        DesktopScreenPolicy::eligibility(number, inventory, inventory->front().display, true, true);
    }
    ProjectDesktopAssociations associations;
    if (ProjectDesktopAssociations::valid(*inventory) && !associations.assign("project", 1, *inventory))
        std::abort();
    return 0;
}
