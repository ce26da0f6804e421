#include "ui/SymbolButton.h"

#include "ui/PlainText.h"
#include "ui/SymbolRegistry.h"

#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

namespace pellamor {

SymbolButton::SymbolButton(const std::string& title, QWidget* parent)
    : QPushButton(parent)
{
    setTitle(title);
}

void SymbolButton::setTitle(const std::string& title)
{
    title_ = title;
    showTitle();
}

void SymbolButton::setTruncatesTail(bool truncates)
{
    truncatesTail_ = truncates;
    showTitle();
}

void SymbolButton::showTitle()
{
    if (position_ == ImagePosition::only) {
        setText({});
        return;
    }
    QString whole = PlainText::title(title_);
    if (!truncatesTail_ || width() <= 0) {
        setText(whole);
        return;
    }
    QStyleOptionButton option;
    initStyleOption(&option);
    int room = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).width()
        - (icon().isNull() ? 0 : iconSize().width() + 4);
    QFontMetrics metrics(font());
    setText(metrics.horizontalAdvance(whole) <= room ? whole : metrics.elidedText(whole, Qt::ElideRight, std::max(room, 0)));
}

void SymbolButton::resizeEvent(QResizeEvent* event)
{
    QPushButton::resizeEvent(event);
    if (truncatesTail_)
        showTitle();
}

void SymbolButton::setSymbol(const std::string& name, double points, ImagePosition position)
{
    symbol_ = name;
    points_ = points;
    position_ = position;
    setLayoutDirection(position == ImagePosition::trailing ? Qt::RightToLeft : Qt::LeftToRight);
    applyIcon();
    showTitle();
}

void SymbolButton::setTint(ColorRole role)
{
    tint_ = role;
    applyIcon();
    update();
}

void SymbolButton::setBordered(bool bordered)
{
    setFlat(!bordered);
}

void SymbolButton::setToolTipText(const std::string& text)
{
    setToolTip(PlainText::toolTip(text));
}

void SymbolButton::setAccessibilityLabel(const std::string& text)
{
    setAccessibleName(PlainText::text(text));
}

void SymbolButton::applyIcon()
{
    drawnFor_ = ColorTable::appearance();
    enabledWhenDrawn_ = isEnabled();
    if (symbol_.empty()) {
        setIcon({});
        return;
    }
    QColor colour = ColorTable::color(isEnabled() ? tint_ : ColorRole::disabledControlText);
    QPixmap image = SymbolRegistry::image(symbol_, points_, colour);
    setIcon(image.isNull() ? QIcon() : QIcon(image));
    int side = static_cast<int>(points_ + 2);
    setIconSize(QSize(side, side));
}

void SymbolButton::paintEvent(QPaintEvent* event)
{
    if (drawnFor_ != ColorTable::appearance() || enabledWhenDrawn_ != isEnabled())
        applyIcon();
    QPalette colours = palette();
    QColor text = ColorTable::color(isEnabled() ? tint_ : ColorRole::disabledControlText);
    colours.setColor(QPalette::ButtonText, text);
    // A title already in the accent colour marks the selection itself, and would not read over an accent fill.
    ColorTable::markSelection(colours, isChecked() && tint_ != ColorRole::accent);
    setPalette(colours);
    QPushButton::paintEvent(event);
}

} // namespace pellamor
