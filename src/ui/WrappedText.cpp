#include "ui/WrappedText.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <algorithm>
#include <utility>

namespace pellamor {

QString withQuotesBound(QString text)
{
    for (qsizetype index = 0; index < text.size(); ++index) {
        if (text[index] != QLatin1Char(' '))
            continue;
        bool afterOpening = index > 0 && text[index - 1] == QChar(0x00AB);
        bool beforeClosing = index + 1 < text.size() && text[index + 1] == QChar(0x00BB);
        if (afterOpening || beforeClosing)
            text[index] = QChar::Nbsp;
    }
    return text;
}

QStringList wrappedLines(QString text, const QFont& font, double width, int maximumLines)
{
    text = withQuotesBound(std::move(text));
    QFontMetricsF metrics(font);
    if (width <= 0 || maximumLines == 1)
        return { metrics.elidedText(text, Qt::ElideRight, std::max(width, 0.0)) };
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (maximumLines > 0 && lines.size() == maximumLines - 1) {
            lines.push_back(metrics.elidedText(text.mid(line.textStart()).trimmed(), Qt::ElideRight, width));
            break;
        }
        lines.push_back(text.mid(line.textStart(), line.textLength()).trimmed());
    }
    layout.endLayout();
    return lines;
}

} // namespace pellamor
