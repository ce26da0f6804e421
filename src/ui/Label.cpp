#include "ui/Label.h"

#include "ui/PlainText.h"
#include "ui/WrappedText.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

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
    text_ = text;
    QLabel::setText(withQuotesBound(PlainText::text(text)));
}

void Label::setToolTipText(const std::string& text)
{
    setToolTip(PlainText::toolTip(text));
}

void Label::setFontSize(double points, FontWeight weight)
{
    // One point is one pixel, as on the Mac and as every frame around the label is measured.
    QFont font = this->font();
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(points))));
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

void Label::setKeptEnding(const std::string& ending)
{
    keptEnding_ = withQuotesBound(PlainText::text(ending));
    update();
}

void Label::applyLineCap()
{
    setMaximumHeight(maximumLines_ > 0 ? QFontMetrics(font()).lineSpacing() * maximumLines_ + 2 : QWIDGETSIZE_MAX);
}

int Label::heightForWidth(int width) const
{
    int height = QLabel::heightForWidth(width);
    if (maximumLines_ <= 0 || !wordWrap())
        return height;
    return std::min(height, QFontMetrics(font()).lineSpacing() * maximumLines_ + 2);
}

QRect Label::textArea() const
{
    return contentsRect().adjusted(margin(), margin(), -margin(), -margin());
}

QString Label::shownLine(const QFontMetrics& metrics, int width) const
{
    QString text = QLabel::text();
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    if (!keptEnding_.isEmpty() && text.endsWith(keptEnding_)) {
        int room = width - metrics.horizontalAdvance(keptEnding_);
        QString start = text.left(text.size() - keptEnding_.size());
        if (room > metrics.horizontalAdvance(QChar(0x2026)))
            return metrics.elidedText(start, Qt::ElideRight, room) + keptEnding_;
    }
    return metrics.elidedText(text, Qt::ElideRight, width);
}

QStringList Label::shownLines() const
{
    QRect area = textArea();
    if (!wordWrap())
        return { shownLine(QFontMetrics(font()), area.width()) };
    return wrappedLines(QLabel::text(), font(), area.width(), maximumLines_);
}

void Label::paintEvent(QPaintEvent* event)
{
    // The colour is resolved at each drawing so that an appearance change needs no bookkeeping.
    QColor colour = ColorTable::color(role_);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, colour);
    setPalette(colours);
    QRect area = textArea();
    if (wordWrap() && maximumLines_ <= 0) {
        QLabel::paintEvent(event);
        return;
    }
    QStringList lines = shownLines();
    if (!wordWrap() && lines.front() == QLabel::text()) {
        QLabel::paintEvent(event);
        return;
    }
    // A text that does not fit ends in an ellipsis instead of being cut mid-letter.
    QPainter painter(this);
    painter.setPen(colour);
    painter.setFont(font());
    if (!wordWrap()) {
        painter.drawText(area, int(alignment()) | Qt::TextSingleLine, lines.front());
        return;
    }
    int lineHeight = QFontMetrics(font()).lineSpacing();
    int height = lineHeight * static_cast<int>(lines.size());
    int top = area.top();
    if (alignment() & Qt::AlignVCenter)
        top += (area.height() - height) / 2;
    else if (alignment() & Qt::AlignBottom)
        top += area.height() - height;
    for (const QString& line : lines) {
        painter.drawText(QRect(area.left(), top, area.width(), lineHeight),
            int(alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter | Qt::TextSingleLine, line);
        top += lineHeight;
    }
}

} // namespace pellamor
