#include "ui/DragSession.h"

#include <QDrag>
#include <QMimeData>
#include <QWidget>

namespace pellamor {
namespace {

DragRunner& installed()
{
    static DragRunner runner;
    return runner;
}

} // namespace

Qt::DropAction runDrag(QWidget* source, QMimeData* data, const QPixmap& image)
{
    if (installed())
        return installed()(source, data, image);
    auto* drag = new QDrag(source);
    drag->setMimeData(data);
    if (!image.isNull())
        drag->setPixmap(image);
    // Only a move, and only to targets of this application: others see no operation they may take.
    Qt::DropAction performed = drag->exec(Qt::MoveAction, Qt::MoveAction);
    drag->deleteLater();
    return performed;
}

void setDragRunner(DragRunner runner)
{
    installed() = std::move(runner);
}

} // namespace pellamor
