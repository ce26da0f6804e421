#include "ui/Label.h"

#include "ui/PlainText.h"

#include <QFontMetrics>
#include <QPainter>

namespace pellamor {

QFont::Weight qtWeight(FontWeight weight)
{
    switch (weight) {
    case FontWeight::regular:
        return QFont::Normal;
    case FontWeight::medium:
        return QFont::Medium;
    case FontWeight::semibold:
        return QFont::DemiBold;
    case FontWeight::bold:
        return QFont::Bold;
    }
    return QFont::Normal;
}

Label::Label(const std::string& text, QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setWordWrap(true);
    setText(text);
}

void Label::setText(const std::string& text)
{
    QLabel::setText(PlainText::text(text));
}

void Label::setToolTipText(const std::string& text)
{
    setToolTip(PlainText::toolTip(text));
}

void Label::setFontSize(double points, FontWeight weight)
{
    QFont font = this->font();
    font.setPointSizeF(points);
    font.setWeight(qtWeight(weight));
    setFont(font);
    applyLineCap();
}

void Label::setColorRole(ColorRole role)
{
    role_ = role;
    update();
}

void Label::setWrapping(bool wraps)
{
    setWordWrap(wraps);
}

void Label::setMaximumLines(int lines)
{
    maximumLines_ = lines;
    applyLineCap();
}

void Label::applyLineCap()
{
    setMaximumHeight(maximumLines_ > 0 ? QFontMetrics(font()).lineSpacing() * maximumLines_ + 2 : QWIDGETSIZE_MAX);
}

void Label::paintEvent(QPaintEvent* event)
{
    // The colour is resolved at each drawing so that an appearance change needs no bookkeeping.
    QColor colour = ColorTable::color(role_);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, colour);
    setPalette(colours);
    QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    QFontMetrics metrics(font());
    if (wordWrap() || metrics.horizontalAdvance(QLabel::text()) <= area.width()) {
        QLabel::paintEvent(event);
        return;
    }
    // A one-line text that does not fit ends in an ellipsis instead of being cut mid-letter.
    QPainter painter(this);
    painter.setPen(colour);
    painter.setFont(font());
    painter.drawText(area, int(alignment()) | Qt::TextSingleLine,
        metrics.elidedText(QLabel::text(), Qt::ElideRight, area.width()));
}

} // namespace pellamor
