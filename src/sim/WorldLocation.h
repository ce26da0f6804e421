// Which world the executable runs: the file named by PELLAMOR_WORLD, else the bundle's demo world.
#pragma once

#include <filesystem>

namespace pellamor::sim {

std::filesystem::path worldPath(const std::filesystem::path& resources);

} // namespace pellamor::sim
