// The Dock's private notification call, bound by name from ApplicationServices.
#pragma once

#include <cstdint>
#include <string>

namespace pellamor::dock {

inline constexpr const char* applicationServicesPath =
    "/System/Library/Frameworks/ApplicationServices.framework/ApplicationServices";

// A Dock notification name and an argument; "com.apple.expose.awake" with 0 shows or hides Mission Control.
using SendNotification = void(const std::string& name, std::int32_t argument);

} // namespace pellamor::dock
