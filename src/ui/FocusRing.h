// The keyboard focus ring of a control that draws itself: the accent colour around its rounded shape.
#pragma once

#include <QRect>

class QPainter;

namespace pellamor {

void drawFocusRing(QPainter& painter, const QRect& bounds, double cornerRadius);

} // namespace pellamor
