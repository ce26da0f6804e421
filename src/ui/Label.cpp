#include "ui/Label.h"

#include "ui/PlainText.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>
#include <vector>
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
    QLabel::setText(PlainText::text(text));
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
    keptEnding_ = PlainText::text(ending);
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

void Label::paintCappedLines(QPainter& painter, QRect area) const
{
    QFontMetrics metrics(font());
    QTextLayout layout(QLabel::text(), font());
    QTextOption option(alignment());
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    std::vector<QTextLine> lines;
    double height = 0;
    while (static_cast<int>(lines.size()) < maximumLines_) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(area.width());
        line.setPosition(QPointF(0, height));
        height += line.height();
        lines.push_back(line);
    }
    bool more = layout.createLine().isValid();
    layout.endLayout();
    double top = area.top();
    if (alignment() & Qt::AlignVCenter)
        top += (area.height() - height) / 2;
    else if (alignment() & Qt::AlignBottom)
        top += area.height() - height;
    for (std::size_t index = 0; index < lines.size(); ++index) {
        QTextLine& line = lines[index];
        if (!more || index + 1 < lines.size()) {
            line.draw(&painter, QPointF(area.left(), top));
            continue;
        }
        // The last line shown carries the rest of the text, ended by an ellipsis.
        QString rest = QLabel::text().mid(line.textStart());
        painter.drawText(QRectF(area.left(), top + line.y(), area.width(), line.height()),
            int(alignment() & Qt::AlignHorizontal_Mask) | Qt::TextSingleLine,
            metrics.elidedText(rest, Qt::ElideRight, area.width()));
    }
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
    if (wordWrap() && maximumLines_ > 0) {
        QPainter painter(this);
        painter.setPen(colour);
        painter.setFont(font());
        paintCappedLines(painter, area);
        return;
    }
    if (wordWrap() || metrics.horizontalAdvance(QLabel::text()) <= area.width()) {
        QLabel::paintEvent(event);
        return;
    }
    // A one-line text that does not fit ends in an ellipsis instead of being cut mid-letter.
    QPainter painter(this);
    painter.setPen(colour);
    painter.setFont(font());
    painter.drawText(area, int(alignment()) | Qt::TextSingleLine, shownLine(metrics, area.width()));
}

} // namespace pellamor
