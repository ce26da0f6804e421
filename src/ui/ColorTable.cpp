#include "ui/ColorTable.h"

#include "platform/Platform.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace pellamor::ColorTable {
namespace {

struct Pair {
    QColor light;
    QColor dark;
};

Pair pair(ColorRole role)
{
    switch (role) {
    case ColorRole::label:
        return { QColor(0, 0, 0, 217), QColor(255, 255, 255, 217) };
    case ColorRole::secondaryLabel:
        return { QColor(0, 0, 0, 128), QColor(255, 255, 255, 140) };
    case ColorRole::windowBackground:
        return { QColor(236, 236, 236), QColor(50, 50, 50) };
    case ColorRole::controlBackground:
        return { QColor(255, 255, 255), QColor(30, 30, 30) };
    case ColorRole::separator:
        return { QColor(0, 0, 0, 26), QColor(255, 255, 255, 26) };
    case ColorRole::accent:
        return { QColor(0, 122, 255), QColor(10, 132, 255) };
    case ColorRole::red:
        return { QColor(255, 59, 48), QColor(255, 69, 58) };
    case ColorRole::green:
        return { QColor(40, 205, 65), QColor(50, 215, 75) };
    case ColorRole::orange:
        return { QColor(255, 149, 0), QColor(255, 159, 10) };
    case ColorRole::clear:
        return { Qt::transparent, Qt::transparent };
    case ColorRole::tertiaryLabel:
        return { QColor(0, 0, 0, 66), QColor(255, 255, 255, 64) };
    case ColorRole::disabledControlText:
        return { QColor(0, 0, 0, 64), QColor(255, 255, 255, 64) };
    case ColorRole::alternateSelectedControlText:
        return { QColor(255, 255, 255), QColor(255, 255, 255) };
    case ColorRole::link:
        return { QColor(0, 104, 218), QColor(65, 156, 255) };
    }
    return { Qt::transparent, Qt::transparent };
}

} // namespace

QColor color(ColorRole role, Appearance appearance)
{
    Pair colours = pair(role);
    return appearance == Appearance::dark ? colours.dark : colours.light;
}

QColor color(ColorRole role)
{
    return color(role, appearance());
}

Appearance appearance()
{
    return platform().darkAppearance() ? Appearance::dark : Appearance::light;
}

namespace {

QColor buttonColor(Appearance appearance)
{
    return appearance == Appearance::dark ? QColor(60, 60, 60) : QColor(250, 250, 250);
}

} // namespace

void markSelection(QPalette& colours, bool selected)
{
    QColor fill = buttonColor(appearance());
    if (selected) {
        // Strong enough over dark grey too, where the style's own shading of a pressed button is barely seen.
        QColor accent = color(ColorRole::accent);
        double share = appearance() == Appearance::dark ? 0.55 : 0.3;
        fill = QColor::fromRgbF(float(fill.redF() + (accent.redF() - fill.redF()) * share),
            float(fill.greenF() + (accent.greenF() - fill.greenF()) * share),
            float(fill.blueF() + (accent.blueF() - fill.blueF()) * share));
    }
    for (QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled })
        colours.setColor(group, QPalette::Button, fill);
}

QPalette palette(Appearance appearance)
{
    const bool dark = appearance == Appearance::dark;
    const QColor window = color(ColorRole::windowBackground, appearance);
    const QColor base = color(ColorRole::controlBackground, appearance);
    const QColor text = color(ColorRole::label, appearance);
    const QColor secondary = color(ColorRole::secondaryLabel, appearance);
    const QColor button = buttonColor(appearance);
    QPalette colours(button, window);
    for (QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
        const bool disabled = group == QPalette::Disabled;
        colours.setColor(group, QPalette::Window, window);
        colours.setColor(group, QPalette::Base, base);
        colours.setColor(group, QPalette::AlternateBase, dark ? window.lighter(115) : window.lighter(104));
        colours.setColor(group, QPalette::Button, button);
        colours.setColor(group, QPalette::WindowText, disabled ? secondary : text);
        colours.setColor(group, QPalette::Text, disabled ? secondary : text);
        colours.setColor(group, QPalette::ButtonText, disabled ? secondary : text);
        colours.setColor(group, QPalette::BrightText, dark ? Qt::black : Qt::white);
        colours.setColor(group, QPalette::PlaceholderText, secondary);
        colours.setColor(group, QPalette::Highlight, disabled ? secondary : color(ColorRole::accent, appearance));
        colours.setColor(group, QPalette::HighlightedText, Qt::white);
        colours.setColor(group, QPalette::Link, color(ColorRole::accent, appearance));
        colours.setColor(group, QPalette::ToolTipBase, base);
        colours.setColor(group, QPalette::ToolTipText, text);
        colours.setColor(group, QPalette::Light, button.lighter(150));
        colours.setColor(group, QPalette::Midlight, button.lighter(125));
        colours.setColor(group, QPalette::Mid, dark ? button.lighter(130) : button.darker(130));
        colours.setColor(group, QPalette::Dark, dark ? button.lighter(160) : button.darker(160));
        colours.setColor(group, QPalette::Shadow, Qt::black);
    }
    return colours;
}

void appearanceChanged()
{
    if (!qApp)
        return;
    // Plain Qt widgets (window, tab pages, buttons, fields) follow the appearance through the palette.
    QApplication::setPalette(palette(appearance()));
    for (QWidget* widget : QApplication::allWidgets())
        widget->update();
}

} // namespace pellamor::ColorTable

namespace pellamor {

QColor DynamicColor::resolved() const
{
    QColor colour = ColorTable::color(role);
    colour.setAlphaF(static_cast<float>(colour.alphaF() * alpha));
    return colour;
}

} // namespace pellamor
