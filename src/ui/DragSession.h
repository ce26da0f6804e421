// Runs the drag of a view's item: a real drag by default; tests put their own in its place.
#pragma once

#include <QMimeData>
#include <QPixmap>
#include <functional>

class QWidget;

namespace pellamor {

// What a drag's source allows on targets of this application and on those of other applications.
struct DragOperations {
    Qt::DropActions insideApplication;
    Qt::DropActions outsideApplication;
};

// Blocks until the drag ends; the operation performed, or none.
using DragRunner
    = std::function<Qt::DropAction(QWidget* source, QMimeData* data, const QPixmap& image, DragOperations operations)>;

Qt::DropAction runDrag(QWidget* source, QMimeData* data, const QPixmap& image, DragOperations operations);
// None restores the real drag.
void setDragRunner(DragRunner runner);

// Item data that other applications cannot read: the system is offered no type of it, so that none of their
// targets can take any operation; this application's targets read it through `applicationFormats()`.
class ApplicationOnlyMimeData : public QMimeData {
    Q_OBJECT
public:
    // A copy of every type of `data`.
    explicit ApplicationOnlyMimeData(const QMimeData& data);

    QStringList formats() const override { return {}; }
    bool hasFormat(const QString& type) const override { return applicationFormats().contains(type); }
    QStringList applicationFormats() const { return QMimeData::formats(); }
};

} // namespace pellamor
