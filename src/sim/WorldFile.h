// Reads a world from its JSON form; a malformed world is refused with a message naming the member.
#pragma once

#include "sim/World.h"

#include <filesystem>
#include <string>
#include <variant>

namespace pellamor::sim {

// Either the world or the message, e.g. "displays[1].frame: expected [x, y, width, height]".
using WorldReading = std::variant<World, std::string>;

WorldReading readWorld(const nlohmann::json& document);
// One display as the world's `displays` list holds it; the message names the member under `path`.
std::variant<Display, std::string> readDisplay(const nlohmann::json& value, const std::string& path);
WorldReading readWorldText(const std::string& text);
WorldReading readWorldFile(const std::filesystem::path& path);

} // namespace pellamor::sim
