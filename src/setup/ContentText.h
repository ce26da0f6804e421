// Unambiguous texts of what the views show: every field length-prefixed, so that no value can pass for a
// field boundary and different contents never give equal texts.
#pragma once

#include "desktops/DesktopModel.h"
#include "windows/DesktopWindow.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pellamor::ContentText {

void field(std::string& out, std::string_view value);
void number(std::string& out, std::int64_t value);
void optionalField(std::string& out, const std::optional<std::string>& value);
void flag(std::string& out, bool value);
void count(std::string& out, std::size_t size);
void desktop(std::string& out, const NativeDesktopState& desktop);
void window(std::string& out, const DesktopWindow& window);

} // namespace pellamor::ContentText
