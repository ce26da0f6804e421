// The world reader: any text is either a world whose references hold together or a one-line refusal.
#include "sim/WorldFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const pellamor::sim::WorldReading reading = pellamor::sim::readWorldText(text);
    if (const auto* message = std::get_if<std::string>(&reading)) {
        if (message->empty() || message->find('\n') != std::string::npos)
            std::abort();
        return 0;
    }
    const pellamor::sim::World& world = std::get<pellamor::sim::World>(reading);
    if (world.displays.empty())
        std::abort();
    std::set<std::uint64_t> spaces;
    for (const pellamor::sim::Display& display : world.displays)
        for (const pellamor::sim::Space& space : display.spaces)
            spaces.insert(space.id);
    for (const pellamor::sim::Window& window : world.windows)
        for (std::uint64_t space : window.spaces)
            if (!spaces.count(space))
                std::abort();
    for (const pellamor::sim::ScriptStep& step : world.script)
        if (!(step.at >= 0 && step.at <= 365.0 * 24 * 3600))
            std::abort();
    return 0;
}
