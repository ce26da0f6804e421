#include "overview/WindowArrangementIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace pellamor {

QImage WindowArrangementIcon::image(WindowArrangement arrangement, double scale)
{
    if (!std::isfinite(scale))
        scale = 1;
    scale = std::clamp(scale, 1.0, 8.0);
    QImage icon(
        QSize(static_cast<int>(std::ceil(size.width() * scale)), static_cast<int>(std::ceil(size.height() * scale))),
        QImage::Format_ARGB32_Premultiplied);
    icon.setDevicePixelRatio(scale);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    // Symmetric top to bottom, so the outline reads the same in either direction of y.
    QRectF screen(2, 3, 20, 14);
    QPainterPath outline;
    outline.addRoundedRect(screen, 2, 2);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.drawPath(outline);
    QRectF inner = screen.adjusted(2.5, 2.5, -2.5, -2.5);
    QRectF zone = arrangement.zone();
    painter.fillRect(QRectF(inner.x() + zone.x() * inner.width(), inner.y() + zone.y() * inner.height(),
                         zone.width() * inner.width(), zone.height() * inner.height()),
        Qt::black);
    return icon;
}

} // namespace pellamor
