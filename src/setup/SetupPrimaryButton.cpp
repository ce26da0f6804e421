#include "setup/SetupPrimaryButton.h"

#include "ui/PlainText.h"
#include "ui/FocusRing.h"
#include "ui/SymbolRegistry.h"
#include "ui/SystemFont.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace pellamor {

SetupPrimaryButton::SetupPrimaryButton(const std::string& title, QWidget* parent)
    : QAbstractButton(parent)
    , title_(title)
{
    setText(PlainText::title(title));
    setFont(systemFont(13, FontWeight::semibold));
    setFocusPolicy(Qt::StrongFocus);
}

void SetupPrimaryButton::setAccessibilityLabel(const std::string& text)
{
    setAccessibleName(PlainText::text(text));
}

void SetupPrimaryButton::setToolTipText(const std::string& text)
{
    setToolTip(PlainText::toolTip(text));
}

DynamicColor SetupPrimaryButton::fillColor() const
{
    if (!isEnabled())
        return { ColorRole::label, 0.02 };
    return { ColorRole::label, pressed() ? 0.11 : 0.045 };
}

DynamicColor SetupPrimaryButton::strokeColor() const
{
    if (!isEnabled())
        return { ColorRole::label, 0.06 };
    return { ColorRole::label, pressed() ? 0.24 : 0.14 };
}

QSize SetupPrimaryButton::sizeHint() const
{
    return { static_cast<int>(textWidth(title_, font())) + 52, 34 };
}

void SetupPrimaryButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    painter.fillPath(shape, ColorTable::color(ColorRole::controlBackground));
    painter.fillPath(shape, fillColor().resolved());
    painter.setPen(QPen(strokeColor().resolved(), 1.0));
    painter.drawPath(shape);

    QColor content = ColorTable::color(isEnabled() ? ColorRole::label : ColorRole::disabledControlText);
    if (auto glyph = SymbolRegistry::glyph(symbol_)) {
        // A macOS point is one logical pixel, as for the system font.
        QFont symbols = SymbolRegistry::font(14);
        symbols.setPixelSize(14);
        symbols.setWeight(QFont::DemiBold);
        painter.setFont(symbols);
        painter.setPen(content);
        painter.drawText(QRectF(14, (height() - 14) / 2.0, 14, 14), Qt::AlignCenter, *glyph);
    }
    QFontMetricsF metrics(font());
    double line = std::ceil(metrics.ascent() + metrics.descent());
    painter.setFont(font());
    painter.setPen(content);
    QRectF title(36, (height() - line) / 2.0, std::max(width() - 50.0, 0.0), line + 1);
    painter.drawText(title, Qt::AlignLeft | Qt::AlignVCenter,
        metrics.elidedText(QString::fromStdString(title_), Qt::ElideRight, title.width()));
    if (hasFocus())
        drawFocusRing(painter, rect(), 8);
}

} // namespace pellamor
