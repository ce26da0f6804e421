// Feeds the window-list and move readers with arbitrary window-server dictionaries and checks what they accept.
#include "PlistFromJson.h"
#include "windows/NativeWindowMove.h"
#include "windows/WindowDescription.h"
#include "windows/WindowOwnerIdentification.h"

#include <cmath>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace pellamor;
    auto descriptions = fuzz::dictionariesFromJson(data, size);
    if (!descriptions)
        return 0;
    WindowMoveIdentification::layout(*descriptions);
    WindowMoveIdentification::activeSpaces(*descriptions);
    for (const PlistDictionary& description : *descriptions) {
        auto parsed = WindowDescription::parse(description);
        if (!parsed)
            continue;
        const QRectF& bounds = parsed->bounds;
        if (parsed->number == 0 || parsed->ownerPID < 1 || !std::isfinite(bounds.x()) || !std::isfinite(bounds.y())
            || !(bounds.width() >= minimumWindowWidth) || !(bounds.height() >= minimumWindowHeight)
            || !std::isfinite(bounds.width()) || !std::isfinite(bounds.height()))
            std::abort();
        DesktopWindow record { parsed->number, parsed->ownerPID, "App", "bundle", "Title", QRectF(), { 1 },
            std::nullopt, std::nullopt };
        bool matches = WindowOwnerIdentification::matches(record, descriptions, parsed->ownerPID, "bundle", false);
        auto refreshed = WindowOwnerIdentification::refreshedRecord(record, descriptions, parsed->ownerPID, "bundle",
            false, true, 0, std::vector<std::uint64_t> { 1 });
        // The one description of the window is this one, so a refreshed record takes its bounds.
        if (refreshed && (!matches || refreshed->frame != bounds))
            std::abort();
    }
    return 0;
}
