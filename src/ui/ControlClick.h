// Clicks a control found by its identifier, the way a person's click would reach it.
#pragma once

#include <string>

namespace pellamor {

// False when no shown control has that identifier. A disabled control takes the click and does nothing.
bool clickControl(const std::string& identifier);

} // namespace pellamor
