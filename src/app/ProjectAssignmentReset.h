// Erases every stored project assignment, with the legacy data and the list of created desktops.
#pragma once

#include "platform/UserDefaults.h"

namespace pellamor::ProjectAssignmentReset {

// True only when the empty store was written and read back as written and the other keys are gone.
bool clear(UserDefaults& defaults);

} // namespace pellamor::ProjectAssignmentReset
