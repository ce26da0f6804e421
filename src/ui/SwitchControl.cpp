#include "ui/SwitchControl.h"

#include "ui/ColorTable.h"
#include "ui/PlainText.h"

#include <QPainter>

namespace pellamor {

SwitchControl::SwitchControl(QWidget* parent)
    : QAbstractButton(parent)
{
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (onAction)
            onAction();
    });
}

void SwitchControl::setAccessibilityLabel(const std::string& text)
{
    setAccessibleName(PlainText::text(text));
}

void SwitchControl::setAccessibilityHelp(const std::string& text)
{
    setAccessibleDescription(PlainText::text(text));
}

void SwitchControl::setToolTipText(const std::string& text)
{
    setToolTip(PlainText::toolTip(text));
}

void SwitchControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
    double radius = track.height() / 2;
    QColor fill = isOn() ? ColorTable::color(ColorRole::accent) : ColorTable::color(ColorRole::separator);
    if (!isEnabled())
        fill.setAlphaF(fill.alphaF() * 0.5f);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(track, radius, radius);
    double knob = track.height() - 4;
    double x = isOn() ? track.right() - knob - 2 : track.left() + 2;
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
}

} // namespace pellamor
