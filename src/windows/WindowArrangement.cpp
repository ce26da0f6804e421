#include "windows/WindowArrangement.h"

#include "assistant/Localization.h"
#include "desktops/ScreenPlacement.h"

#include <cmath>

namespace pellamor {

namespace {

struct Layout {
    const char* rawValue;
    // Unit rectangle, y growing downward; none for a layout that keeps the window's size.
    std::optional<QRectF> unit;
    QRectF zone;
};

const Layout& layout(WindowArrangement::Value value)
{
    static const std::array<Layout, 10> layouts { {
        { "Quart supérieur gauche", QRectF(0, 0, 0.5, 0.5), QRectF(0, 0, 0.5, 0.5) },
        { "Quart supérieur droit", QRectF(0.5, 0, 0.5, 0.5), QRectF(0.5, 0, 0.5, 0.5) },
        { "Quart inférieur gauche", QRectF(0, 0.5, 0.5, 0.5), QRectF(0, 0.5, 0.5, 0.5) },
        { "Quart inférieur droit", QRectF(0.5, 0.5, 0.5, 0.5), QRectF(0.5, 0.5, 0.5, 0.5) },
        { "Demi-écran gauche", QRectF(0, 0, 0.5, 1), QRectF(0, 0, 0.5, 1) },
        { "Demi-écran droit", QRectF(0.5, 0, 0.5, 1), QRectF(0.5, 0, 0.5, 1) },
        { "Demi-écran supérieur", QRectF(0, 0, 1, 0.5), QRectF(0, 0, 1, 0.5) },
        { "Demi-écran inférieur", QRectF(0, 0.5, 1, 0.5), QRectF(0, 0.5, 1, 0.5) },
        { "Centrer", std::nullopt, QRectF(0.25, 0.25, 0.5, 0.5) },
        { "Maximiser", QRectF(0, 0, 1, 1), QRectF(0, 0, 1, 1) },
    } };
    return layouts[value];
}

bool within(double a, double b, double tolerance)
{
    return std::abs(a - b) <= tolerance;
}

} // namespace

std::optional<WindowArrangement> WindowArrangement::fromRawValue(std::string_view rawValue)
{
    for (Value value : allCases)
        if (rawValue == layout(value).rawValue)
            return WindowArrangement(value);
    return std::nullopt;
}

std::string WindowArrangement::rawValue() const
{
    return layout(value_).rawValue;
}

std::string WindowArrangement::title() const
{
    // Each title is a catalogue key; listed literally so that the catalogue check sees them.
    switch (value_) {
    case topLeft:
        return L("Quart supérieur gauche");
    case topRight:
        return L("Quart supérieur droit");
    case bottomLeft:
        return L("Quart inférieur gauche");
    case bottomRight:
        return L("Quart inférieur droit");
    case left:
        return L("Demi-écran gauche");
    case right:
        return L("Demi-écran droit");
    case top:
        return L("Demi-écran supérieur");
    case bottom:
        return L("Demi-écran inférieur");
    case center:
        return L("Centrer");
    case maximize:
        return L("Maximiser");
    }
    return rawValue();
}

QRectF WindowArrangement::rect(const QSizeF& size, const QRectF& area) const
{
    const std::optional<QRectF>& unit = layout(value_).unit;
    if (!unit)
        return WindowPlacementGeometry::centered(size, area);
    return QRectF(area.x() + unit->x() * area.width(), area.y() + unit->y() * area.height(),
        unit->width() * area.width(), unit->height() * area.height());
}

QRectF WindowArrangement::zone() const
{
    return layout(value_).zone;
}

std::optional<WindowArrangement> WindowArrangement::detected(const QRectF& frame, const QRectF& area, double tolerance)
{
    if (!(frame.width() > 0 && frame.height() > 0 && area.width() > 0 && area.height() > 0))
        return std::nullopt;
    // `center` fits any frame of its own size, a maximised one too: it is the answer only when no fixed layout is.
    std::array<Value, 10> candidates { topLeft, topRight, bottomLeft, bottomRight, left, right, top, bottom, maximize,
        center };
    for (Value candidate : candidates) {
        QRectF target = WindowArrangement(candidate).rect(frame.size(), area);
        if (within(frame.x(), target.x(), tolerance) && within(frame.y(), target.y(), tolerance)
            && within(frame.width(), target.width(), tolerance) && within(frame.height(), target.height(), tolerance))
            return WindowArrangement(candidate);
    }
    return std::nullopt;
}

} // namespace pellamor
