#include "ui/FocusRing.h"

#include "ui/ColorTable.h"

#include <QPainter>
#include <QPainterPath>

namespace pellamor {

void drawFocusRing(QPainter& painter, const QRect& bounds, double cornerRadius)
{
    QColor ring = ColorTable::color(ColorRole::accent);
    ring.setAlphaF(0.5f);
    painter.setPen(QPen(ring, 2));
    QPainterPath focus;
    focus.addRoundedRect(QRectF(bounds).adjusted(1, 1, -1, -1), cornerRadius, cornerRadius);
    painter.drawPath(focus);
}

} // namespace pellamor
