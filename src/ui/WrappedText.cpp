#include "ui/WrappedText.h"

#include <QFontMetricsF>
#include <QTextLayout>
#include <algorithm>

namespace pellamor {

QStringList wrappedLines(const QString& text, const QFont& font, double width, int maximumLines)
{
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
