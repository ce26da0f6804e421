#include "ui/DraggingInfo.h"

#include <QDropEvent>
#include <QMimeData>
#include <map>

namespace pellamor {

DraggingInfo draggingInfo(const QDropEvent& event)
{
    DraggingInfo info;
    const QMimeData* data = event.mimeData();
    if (data)
        info.types = data->formats();
    info.source = qobject_cast<QWidget*>(event.source());
    // The event's data die with it: the copy serves later questions.
    std::map<QString, QByteArray> contents;
    if (data) {
        for (const QString& format : info.types)
            contents[format] = data->data(format);
    }
    info.stringForType = [contents](const QString& format) -> std::optional<std::string> {
        auto found = contents.find(format);
        if (found == contents.end())
            return std::nullopt;
        return found->second.toStdString();
    };
    return info;
}

} // namespace pellamor
