// Accessibility's private call bound by name from HIServices: the window number behind a window element.
#pragma once

#include "platform/Accessibility.h"

#include <cstdint>

namespace pellamor::hiservices {

inline constexpr const char* frameworkPath
    = "/System/Library/Frameworks/ApplicationServices.framework/Frameworks/HIServices.framework/HIServices";

// Element, window-number out-cell.
using GetWindow = AXError(const AXElementRef&, std::uint32_t*);

} // namespace pellamor::hiservices
