#include "ui/ColorTable.h"

#include "platform/Platform.h"

#include <QApplication>
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

void appearanceChanged()
{
    if (!qApp)
        return;
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
