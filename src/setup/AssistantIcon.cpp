#include "setup/AssistantIcon.h"

#include "ui/ColorTable.h"
#include "ui/SymbolRegistry.h"

#include <QPainter>

namespace pellamor {

QPixmap assistantIcon(AssistantApp, double side)
{
    int pixels = qMax(1, qRound(side));
    QPixmap square(pixels, pixels);
    square.fill(Qt::transparent);
    QPixmap symbol = SymbolRegistry::image("bubble.left.and.bubble.right.fill", side * 0.6,
        ColorTable::color(ColorRole::accent));
    if (symbol.isNull())
        return square;
    symbol = symbol.scaled(square.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&square);
    painter.drawPixmap((pixels - symbol.width()) / 2, (pixels - symbol.height()) / 2, symbol);
    return square;
}

} // namespace pellamor
