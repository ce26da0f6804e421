// Feeds the topology snapshot parse with arbitrary display dictionaries and checks its queries hold up.
#include "PlistFromJson.h"
#include "desktops/NativeDesktopTopology.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto displays = pellamor::fuzz::dictionariesFromJson(data, size);
    if (!displays)
        return 0;
    auto topology = pellamor::NativeDesktopTopology::make(*displays);
    if (!topology)
        return 0;
    for (const auto& display : topology->displays) {
        if (!topology->index(display.identifier))
            std::abort();
        for (const auto& space : display.spaces) {
            if (space.type == 0 && !topology->thumbnailIndex(space.id, display.identifier))
                std::abort();
            topology->confirmsRemoval(space.id, display.identifier, *topology);
        }
        if (topology->confirmsAddition(display.identifier, *topology))
            std::abort();
    }
    return 0;
}
