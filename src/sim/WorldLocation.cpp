#include "sim/WorldLocation.h"

#include <cstdlib>

namespace pellamor::sim {

std::filesystem::path worldPath(const std::filesystem::path& resources)
{
    const char* named = std::getenv("PELLAMOR_WORLD");
    if (named && *named)
        return named;
    return resources / "demo-world.json";
}

} // namespace pellamor::sim
