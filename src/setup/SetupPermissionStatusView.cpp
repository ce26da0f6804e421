#include "setup/SetupPermissionStatusView.h"

#include "assistant/Localization.h"
#include "ui/ColorTable.h"
#include "ui/PlainText.h"
#include "ui/FocusRing.h"
#include "ui/SymbolRegistry.h"
#include "ui/SystemFont.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace pellamor {

SetupPermissionStatusView::SetupPermissionStatusView(
    const std::string& title, const std::string& symbolName, const std::string& authorizationTitle, QWidget* parent)
    : QAbstractButton(parent)
    , title_(title)
    , symbol_(symbolName)
    , authorizationTitle_(authorizationTitle)
{
    setText(PlainText::title(title));
    setFont(systemFont(11));
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractButton::clicked, this, [this] { activate(); });
    update(false);
}

void SetupPermissionStatusView::update(bool allowed)
{
    if (currentAuthorization_ == allowed)
        return;
    currentAuthorization_ = allowed;
    std::string state = allowed ? L("Autorisé") : L("À activer");
    std::string action = allowed ? L("Réglages…") : authorizationTitle_;
    summary_ = title_ + " · " + state + " · " + action;
    setToolTip(PlainText::toolTip(summary_));
    setAccessibleName(PlainText::text(summary_));
    statusSymbol_ = allowed ? "checkmark.circle.fill" : "exclamationmark.circle.fill";
    QWidget::update();
}

double SetupPermissionStatusView::preferredWidth() const
{
    return textWidth(title_, font()) + 54;
}

void SetupPermissionStatusView::activate()
{
    if (isEnabled() && onAction)
        onAction();
}

void SetupPermissionStatusView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 7, 7);
    painter.fillPath(shape, DynamicColor { ColorRole::label, backgroundAlpha() }.resolved());

    QColor content = ColorTable::color(isEnabled() ? ColorRole::secondaryLabel : ColorRole::tertiaryLabel);
    QFontMetricsF metrics(font());
    double line = std::ceil(metrics.ascent() + metrics.descent());
    QRectF titleRect(27, (height() - line) / 2.0, std::max(width() - 51.0, 0.0), line + 1);
    painter.setFont(font());
    painter.setPen(content);
    painter.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter,
        metrics.elidedText(QString::fromStdString(title_), Qt::ElideRight, titleRect.width()));
    if (auto glyph = SymbolRegistry::glyph(symbol_)) {
        painter.setFont(SymbolRegistry::font(10));
        painter.drawText(QRectF(8, (height() - 13) / 2.0, 13, 13), Qt::AlignCenter, *glyph);
    }
    if (auto glyph = SymbolRegistry::glyph(statusSymbol_)) {
        painter.setOpacity(isEnabled() ? 1.0 : 0.45);
        painter.setFont(SymbolRegistry::font(9.5));
        painter.setPen(ColorTable::color(currentAuthorization_ == true ? ColorRole::green : ColorRole::orange));
        painter.drawText(QRectF(width() - 21, (height() - 12) / 2.0, 12, 12), Qt::AlignCenter, *glyph);
        painter.setOpacity(1.0);
    }
    if (hasFocus())
        drawFocusRing(painter, rect(), 7);
}

} // namespace pellamor
