// The JSON object of one desktop identity, shared by the association store and the list of created desktops.
#pragma once

#include "desktops/ProjectDesktopAssociations.h"

#include <nlohmann/json.hpp>
#include <optional>

namespace pellamor {

// "display", "spaceID" and, when present, "spaceUUID".
nlohmann::json encodeAssociation(const ProjectDesktopAssociation& association);
// None unless the object decodes to a valid association.
std::optional<ProjectDesktopAssociation> decodeAssociation(const nlohmann::json& value);

} // namespace pellamor
