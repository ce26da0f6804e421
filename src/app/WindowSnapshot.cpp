#include "app/WindowSnapshot.h"

#include "ui/SheetHost.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>

namespace pellamor {

QImage windowSnapshot(QWidget* window)
{
    if (!window)
        return {};
    QImage picture = window->grab().toImage();
    QWidget* sheet = SheetHost::attachedSheet(window);
    if (!sheet || !sheet->isVisible())
        return picture;
    QImage drawnSheet = sheet->grab().toImage();
    // A sheet hangs from the top of the window's content, centred, above a soft shadow.
    int top = 0;
    if (auto* main = qobject_cast<QMainWindow*>(window); main && main->menuWidget())
        top = main->menuWidget()->height();
    QRectF frame((window->width() - sheet->width()) / 2.0, top, sheet->width(), sheet->height());
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int spread = 12; spread > 0; spread -= 2) {
        QPainterPath shadow;
        shadow.addRoundedRect(frame.adjusted(-spread, 0, spread, spread), spread, spread);
        painter.fillPath(shadow, QColor(0, 0, 0, 6));
    }
    painter.drawImage(frame, drawnSheet);
    painter.setPen(QColor(0, 0, 0, 60));
    painter.drawRect(frame.adjusted(-0.5, -0.5, 0.5, 0.5));
    return picture;
}

} // namespace pellamor
