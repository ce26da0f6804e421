// What a drop target learns of a drag: the types it carries, its source view and the string of one type.
#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

class QDropEvent;
class QMimeData;

namespace pellamor {

struct DraggingInfo {
    QStringList types;
    // The view the drag started from; null for a drag from another application.
    QPointer<QWidget> source;
    // The item's content by type.
    std::function<std::optional<std::string>(const QString& type)> stringForType;

    std::optional<std::string> string(const QString& type) const
    {
        return stringForType ? stringForType(type) : std::nullopt;
    }
};

// What the item carries, copied: the data may go before the questions come.
DraggingInfo draggingInfo(const QMimeData* data, QWidget* source);
DraggingInfo draggingInfo(const QDropEvent& event);

} // namespace pellamor
