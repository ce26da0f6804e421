#include "setup/ScreenMapView.h"

#include "assistant/Localization.h"
#include "ui/AssistantAppIcon.h"
#include "ui/ColorTable.h"
#include "ui/SystemFont.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace pellamor {

namespace ScreenMapLayout {

std::vector<MonitorRect> monitorRects(const std::vector<ConnectedMonitor>& monitors, const QRectF& bounds)
{
    if (monitors.empty())
        return {};
    QRectF united = monitors.front().frame;
    for (const ConnectedMonitor& monitor : monitors)
        united = united.united(monitor.frame);
    if (!(united.width() > 0) || !(united.height() > 0))
        return {};
    QRectF area = bounds.adjusted(16, 12, -16, -12);
    // A view smaller than its insets would give a negative scale and cards turned inside out.
    if (!(area.width() > 0) || !(area.height() > 0))
        return {};
    double scale = std::min(area.width() / united.width(), area.height() / united.height());
    if (!std::isfinite(scale) || !(scale > 0))
        return {};
    double originX = area.center().x() - united.width() * scale * 0.5;
    double originY = area.center().y() - united.height() * scale * 0.5;
    std::vector<MonitorRect> rects;
    for (std::size_t index = 0; index < monitors.size(); ++index) {
        const QRectF& frame = monitors[index].frame;
        QRectF rect(originX + scale * (frame.x() - united.x()), originY + scale * (frame.y() - united.y()),
            scale * frame.width(), scale * frame.height());
        rects.push_back({ index, rect.adjusted(4, 4, -4, -4) });
    }
    return rects;
}

std::optional<std::size_t> monitorAt(
    const std::vector<ConnectedMonitor>& monitors, const QRectF& bounds, const QPointF& point)
{
    for (const MonitorRect& entry : monitorRects(monitors, bounds)) {
        if (entry.rect.contains(point))
            return entry.index;
    }
    return std::nullopt;
}

bool isDedicated(const ConnectedMonitor& monitor, const AssistantScreenConfiguration& configuration)
{
    return configuration.monitorID && *configuration.monitorID == monitor.id;
}

std::string accessibilityValue(
    const std::vector<ConnectedMonitor>& monitors, const AssistantScreenConfiguration& configuration)
{
    std::string value;
    for (std::size_t index = 0; index < monitors.size(); ++index) {
        std::string number = std::to_string(index + 1);
        const ConnectedMonitor& monitor = monitors[index];
        if (!value.empty())
            value += ". ";
        value += isDedicated(monitor, configuration)
            ? L("Écran %@, %@ : %@, écran dédié", number, monitor.displayName(), configuration.assistant.name())
            : L("Écran %@, %@ : contenu des projets", number, monitor.displayName());
    }
    return value;
}

} // namespace ScreenMapLayout

namespace {

// One line, centred, cut at the tail when too wide, from the top of its rectangle.
void drawText(QPainter& painter, const QRectF& rect, const std::string& text, double points, FontWeight weight,
    ColorRole colour)
{
    QFont font = systemFont(points, weight);
    painter.setFont(font);
    painter.setPen(ColorTable::color(colour));
    QString shown = QFontMetricsF(font).elidedText(
        QString::fromStdString(text), Qt::ElideRight, std::max(0.0, rect.width()));
    painter.drawText(rect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip, shown);
}

} // namespace

ScreenMapView::ScreenMapView(QWidget* parent)
    : QWidget(parent)
{
}

void ScreenMapView::setMonitors(std::vector<ConnectedMonitor> monitors)
{
    monitors_ = std::move(monitors);
    update();
}

void ScreenMapView::setConfiguration(AssistantScreenConfiguration configuration)
{
    configuration_ = std::move(configuration);
    update();
}

void ScreenMapView::setAccessibilityValue(const std::string& value)
{
    accessibilityValue_ = value;
    setAccessibleDescription(QString::fromStdString(value));
}

QRectF ScreenMapView::unflippedBounds() const
{
    return QRectF(0, 0, width(), height());
}

QRectF ScreenMapView::flipped(const QRectF& rect) const
{
    return QRectF(rect.x(), height() - rect.y() - rect.height(), rect.width(), rect.height());
}

std::optional<QPointF> ScreenMapView::screenPoint(const std::string& monitorID) const
{
    for (const auto& [index, rect] : ScreenMapLayout::monitorRects(monitors_, unflippedBounds())) {
        if (monitors_[index].id == monitorID)
            return flipped(rect).center();
    }
    return std::nullopt;
}

void ScreenMapView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const auto& [index, rect] : ScreenMapLayout::monitorRects(monitors_, unflippedBounds())) {
        const ConnectedMonitor& monitor = monitors_[index];
        bool dedicated = ScreenMapLayout::isDedicated(monitor, configuration_);
        QPainterPath card;
        card.addRoundedRect(flipped(rect), 10, 10);
        QColor accent = ColorTable::color(ColorRole::accent);
        QColor fill = dedicated ? accent : ColorTable::color(ColorRole::controlBackground);
        if (dedicated)
            fill.setAlphaF(0.16f);
        painter.fillPath(card, fill);
        painter.setPen(QPen(dedicated ? accent : ColorTable::color(ColorRole::separator), dedicated ? 2.5 : 1.0));
        painter.drawPath(card);

        auto line = [&](double offsetFromMiddle, double height) {
            return flipped(QRectF(rect.x() + 5, rect.center().y() + offsetFromMiddle, rect.width() - 10, height));
        };
        drawText(painter, flipped(QRectF(rect.x() + 5, rect.bottom() - 23, rect.width() - 10, 16)),
            L("%@ · %@", std::to_string(index + 1), monitor.displayName()), 10, FontWeight::regular,
            ColorRole::secondaryLabel);
        if (dedicated) {
            double side = std::clamp(0.27 * rect.height(), 16.0, 34.0);
            QRectF iconRect = flipped(QRectF(rect.center().x() - side / 2, rect.center().y() + 2, side, side));
            QPixmap icon = assistantAppIcon(configuration_.assistant, side, accent).image;
            if (!icon.isNull()) {
                QSizeF fitted = QSizeF(icon.size()).scaled(iconRect.size(), Qt::KeepAspectRatio);
                QRectF target(QPointF(), fitted);
                target.moveCenter(iconRect.center());
                painter.drawPixmap(target, icon, QRectF(icon.rect()));
            }
            drawText(painter, line(-19, 18), configuration_.assistant.name(), 13, FontWeight::semibold,
                ColorRole::label);
            drawText(painter, line(-36, 16), L("Écran dédié"), 10, FontWeight::regular, ColorRole::secondaryLabel);
        } else {
            drawText(painter, line(-6, 19), L("Contenu des projets"), 12, FontWeight::semibold, ColorRole::label);
            drawText(painter, line(-26, 17), L("Fenêtres des projets"), 11, FontWeight::regular,
                ColorRole::secondaryLabel);
        }
    }
}

void ScreenMapView::mousePressEvent(QMouseEvent* event)
{
    QPointF point(event->position().x(), height() - event->position().y());
    std::optional<std::size_t> index = ScreenMapLayout::monitorAt(monitors_, unflippedBounds(), point);
    if (index && onSelectMonitor)
        onSelectMonitor(monitors_[*index].id);
    event->accept();
}

} // namespace pellamor
