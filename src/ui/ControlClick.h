// Clicks, typing and keys sent to a control found by its identifier, the way a person's would reach it.
#pragma once

#include <string>

class QWidget;

namespace pellamor {

// The first shown widget with that identifier, or null.
QWidget* shownControl(const std::string& identifier);

// False when no shown control has that identifier. A disabled control takes the click and does nothing.
bool clickControl(const std::string& identifier);
bool isControlShown(const std::string& identifier);
// Each character typed into the shown control with that identifier, which takes the keyboard focus first.
bool typeIntoControl(const std::string& identifier, const std::string& text);
// One key pressed and released in that control: "Return", "Escape", "Up", "Down" or "Space"; false for another
// name or no such control.
bool pressKeyInControl(const std::string& identifier, const std::string& key);

} // namespace pellamor
