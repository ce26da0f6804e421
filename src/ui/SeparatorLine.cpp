#include "ui/SeparatorLine.h"

#include "ui/ColorTable.h"

#include <QPainter>

namespace pellamor {

SeparatorLine::SeparatorLine(QWidget* parent)
    : QWidget(parent)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SeparatorLine::paintEvent(QPaintEvent*)
{
    QPainter(this).fillRect(rect(), ColorTable::color(ColorRole::separator));
}

} // namespace pellamor
