// The system colours of the interface in light and dark appearance, and the appearance in use.
#pragma once

#include <QColor>

class QPalette;

namespace pellamor {

enum class Appearance { light, dark };

enum class ColorRole {
    label,
    secondaryLabel,
    windowBackground,
    controlBackground,
    separator,
    accent,
    red,
    green,
    orange,
    clear,
    tertiaryLabel,
    disabledControlText,
    // Text over the emphasized selection of a focused list.
    alternateSelectedControlText,
    link,
};

// A system colour that resolves for the appearance in use when drawn, optionally at a reduced alpha.
struct DynamicColor {
    ColorRole role = ColorRole::clear;
    double alpha = 1.0;
    QColor resolved() const;
    friend bool operator==(const DynamicColor&, const DynamicColor&) = default;
};

namespace ColorTable {

QColor color(ColorRole role, Appearance appearance);
// The colour of the role in the appearance the interface shows now.
QColor color(ColorRole role);

// The application palette of an appearance: window, fields, buttons, text, selection, disabled text.
QPalette palette(Appearance appearance);

// The button colour of a control, tinted with the accent while it is selected (a checked segment, shortcut or
// filter), so that the selection reads in either appearance.
void markSelection(QPalette& colours, bool selected);

// The platform's appearance.
Appearance appearance();
// Sets the application palette of the platform's appearance and repaints every widget, so that surfaces and
// labels resolve their colours again.
void appearanceChanged();

} // namespace ColorTable

} // namespace pellamor
