#include "setup/SetupControls.h"

#include "ui/AppearanceSurface.h"

#include <QPainter>
#include <QPainterPath>

namespace pellamor {

QWidget* setupSeparator(QWidget* parent)
{
    auto* line = new AppearanceSurface({ ColorRole::separator }, 0);
    line->setParent(parent);
    return line;
}

void SetupTrackingBand::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), 10, 10);
    painter.fillPath(shape, DynamicColor { ColorRole::label, 0.035 }.resolved());
}

} // namespace pellamor
