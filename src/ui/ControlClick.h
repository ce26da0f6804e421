// Clicks, typing and keys sent to a control found by its identifier, the way a person's would reach it.
#pragma once

#include <QPointF>
#include <string>

class QWidget;

namespace pellamor {

// What became of a click, typing or key meant for a control: a disabled control is left alone, since what a
// person does there changes nothing.
enum class ControlOutcome { done, disabled, missing };

// The first shown widget with that identifier, or null.
QWidget* shownControl(const std::string& identifier);
bool isControlShown(const std::string& identifier);

// The first shown control with that identifier, else the first menu item with it, clicked.
ControlOutcome clickIdentified(const std::string& identifier);
// The same, false only when neither a shown control nor a menu item has that identifier.
bool clickControl(const std::string& identifier);
// A press and release of the left button at that point of the widget, in its own coordinates.
void clickAt(QWidget& widget, QPointF point);
// Each character typed into the shown control with that identifier, which takes the keyboard focus first.
ControlOutcome typeIntoControl(const std::string& identifier, const std::string& text);
// One key pressed and released in that control: "Return", "Escape", "Up", "Down" or "Space" (another name finds
// nothing).
ControlOutcome pressKeyInControl(const std::string& identifier, const std::string& key);

} // namespace pellamor
