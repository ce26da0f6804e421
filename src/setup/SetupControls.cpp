#include "setup/SetupControls.h"

#include <QPainter>
#include <QPainterPath>

namespace pellamor {

void SetupTrackingBand::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 10, 10);
    painter.fillPath(shape, DynamicColor { ColorRole::label, 0.035 }.resolved());
}

} // namespace pellamor
