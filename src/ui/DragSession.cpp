#include "ui/DragSession.h"

#include <QDrag>
#include <QWidget>

namespace pellamor {
namespace {

DragRunner& installed()
{
    static DragRunner runner;
    return runner;
}

} // namespace

ApplicationOnlyMimeData::ApplicationOnlyMimeData(const QMimeData& data)
{
    for (const QString& type : data.formats())
        setData(type, data.data(type));
}

Qt::DropAction runDrag(QWidget* source, QMimeData* data, const QPixmap& image, DragOperations operations)
{
    if (installed())
        return installed()(source, data, image, operations);
    // A drag takes one set of operations for every target: nothing for other applications is kept by not
    // offering them the item at all.
    if (!operations.outsideApplication) {
        QMimeData* kept = new ApplicationOnlyMimeData(*data);
        delete data;
        data = kept;
    }
    auto* drag = new QDrag(source);
    drag->setMimeData(data);
    if (!image.isNull())
        drag->setPixmap(image);
    Qt::DropAction performed = drag->exec(operations.insideApplication | operations.outsideApplication);
    drag->deleteLater();
    return performed;
}

void setDragRunner(DragRunner runner)
{
    installed() = std::move(runner);
}

} // namespace pellamor
