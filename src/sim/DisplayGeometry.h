// Display areas in the window server's top-left coordinates, whose origin is the main display's top-left corner.
#pragma once

#include "sim/World.h"

#include <QRectF>
#include <algorithm>

namespace pellamor::sim {

inline QRectF topLeftArea(const QRectF& bottomLeft, double mainTop)
{
    return QRectF(bottomLeft.x(), mainTop - (bottomLeft.y() + bottomLeft.height()), bottomLeft.width(),
        bottomLeft.height());
}

inline QRectF visibleArea(const Display& display, double mainTop)
{
    return topLeftArea(display.visibleFrame, mainTop);
}

// The frame made no larger than the area and moved inside it.
inline QRectF clampInto(QRectF frame, const QRectF& area)
{
    frame.setWidth(std::min(frame.width(), area.width()));
    frame.setHeight(std::min(frame.height(), area.height()));
    frame.moveLeft(std::clamp(frame.x(), area.left(), area.left() + area.width() - frame.width()));
    frame.moveTop(std::clamp(frame.y(), area.top(), area.top() + area.height() - frame.height()));
    return frame;
}

} // namespace pellamor::sim
