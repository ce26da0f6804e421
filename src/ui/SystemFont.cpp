#include "ui/SystemFont.h"

#include "ui/WrappedText.h"

#include <QApplication>
#include <QFontMetricsF>
#include <cmath>

namespace pellamor {

QFont systemFont(double size, FontWeight weight)
{
    QFont font = QApplication::font();
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(size))));
    font.setWeight(qtWeight(weight));
    return font;
}

double textWidth(const std::string& text, const QFont& font)
{
    return std::ceil(QFontMetricsF(font).horizontalAdvance(withQuotesBound(QString::fromStdString(text))));
}

} // namespace pellamor
