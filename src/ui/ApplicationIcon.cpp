#include "ui/ApplicationIcon.h"

#include "platform/Platform.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

namespace pellamor {

std::optional<QPixmap> ApplicationIcon::forProcess(int pid, int points)
{
    std::optional<RunningApplication> running = platform().workspace().runningApplication(pid);
    if (!running || running->terminated)
        return std::nullopt;
    std::string key = running->bundleIdentifier.value_or(running->localizedName);
    QString name = QString::fromStdString(running->localizedName).trimmed();
    qreal scale = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap icon(QSize(points, points) * scale);
    icon.setDevicePixelRatio(scale);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(0.5, 0.5, points - 1, points - 1), points * 0.225, points * 0.225);
    // The same application always gets the same colour.
    int hue = static_cast<int>(qHash(QString::fromStdString(key)) % 360);
    painter.fillPath(tile, QColor::fromHsl(hue, 140, 110));
    QFont font = painter.font();
    font.setPixelSize(std::max(1, points * 3 / 5));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(
        QRectF(0, 0, points, points), Qt::AlignCenter, name.isEmpty() ? QString("?") : name.left(1).toUpper());
    return icon;
}

} // namespace pellamor
