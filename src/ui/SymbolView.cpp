#include "ui/SymbolView.h"

#include "ui/SymbolRegistry.h"

#include <QPainter>

namespace pellamor {

SymbolView::SymbolView(const std::string& symbolName, double points, QWidget* parent)
    : QWidget(parent)
    , symbolName_(symbolName)
    , points_(points)
{
}

void SymbolView::setSymbol(const std::string& symbolName)
{
    symbolName_ = symbolName;
    image_ = {};
    icon_ = {};
    updateGeometry();
    update();
}

void SymbolView::setImage(const QPixmap& image)
{
    image_ = image;
    icon_ = {};
    symbolName_.clear();
    update();
}

void SymbolView::setIcon(const QIcon& icon)
{
    icon_ = icon;
    image_ = {};
    symbolName_.clear();
    update();
}

void SymbolView::setTint(ColorRole role)
{
    tint_ = role;
    update();
}

void SymbolView::setPointSize(double points)
{
    points_ = points;
    updateGeometry();
    update();
}

void SymbolView::setFontWeight(QFont::Weight weight)
{
    weight_ = weight;
    update();
}

bool SymbolView::isEmpty() const
{
    return image_.isNull() && icon_.isNull() && !SymbolRegistry::glyph(symbolName_);
}

QSize SymbolView::sizeHint() const
{
    int side = qCeil(points_ * 1.4);
    return { side, side };
}

void SymbolView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!icon_.isNull()) {
        icon_.paint(&painter, rect());
        return;
    }
    if (!image_.isNull()) {
        QPixmap scaled = image_.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        painter.drawPixmap((width() - scaled.width()) / 2, (height() - scaled.height()) / 2, scaled);
        return;
    }
    std::optional<QString> character = SymbolRegistry::glyph(symbolName_);
    if (!character)
        return;
    QFont symbols = SymbolRegistry::font(points_);
    symbols.setWeight(weight_);
    painter.setFont(symbols);
    painter.setPen(ColorTable::color(tint_));
    painter.drawText(rect(), Qt::AlignCenter, *character);
}

} // namespace pellamor
