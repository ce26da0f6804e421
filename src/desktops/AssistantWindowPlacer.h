// Places the assistant's main window centred on its screen through Accessibility.
#pragma once

#include "desktops/ScreenPlacement.h"
#include "platform/Error.h"

#include <variant>

namespace pellamor {

namespace AssistantWindowPlacer {

inline constexpr const char* errorDomain = "ScreenPlacement";

// The success text, or an error of domain "ScreenPlacement", code 1, with the French text.
std::variant<std::string, Error> place(AssistantApp assistant, const std::string& screenID);

} // namespace AssistantWindowPlacer

} // namespace pellamor
