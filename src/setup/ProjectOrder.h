// The order of project lists shown to a person: by name as the Finder sorts, equal names by id.
#pragma once

#include "desktops/OverviewProjectAssignment.h"

#include <vector>

namespace pellamor {

void sortProjectRows(std::vector<OverviewProjectAssignment>& rows);

} // namespace pellamor
