// Erases every stored project assignment, with the legacy data and the list of created desktops.
#pragma once

#include "platform/UserDefaults.h"

namespace pellamor::ProjectAssignmentReset {

// True only when the empty store was written and the other keys are gone; a store the settings did not
// take leaves memory as it was.
bool clear(UserDefaults& defaults);

} // namespace pellamor::ProjectAssignmentReset
