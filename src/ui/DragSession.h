// Runs the drag of a view's item: a real drag by default; tests put their own in its place.
#pragma once

#include <QPixmap>
#include <functional>

class QMimeData;
class QWidget;

namespace pellamor {

// Blocks until the drag ends; the move operation or none.
using DragRunner = std::function<Qt::DropAction(QWidget* source, QMimeData* data, const QPixmap& image)>;

Qt::DropAction runDrag(QWidget* source, QMimeData* data, const QPixmap& image);
// None restores the real drag.
void setDragRunner(DragRunner runner);

} // namespace pellamor
