#include "ui/DraggingInfo.h"

#include "ui/DragSession.h"

#include <QDropEvent>
#include <QMimeData>
#include <map>

namespace pellamor {

DraggingInfo draggingInfo(const QMimeData* data, QWidget* source)
{
    DraggingInfo info;
    if (auto* ours = qobject_cast<const ApplicationOnlyMimeData*>(data))
        info.types = ours->applicationFormats();
    else if (data)
        info.types = data->formats();
    info.source = source;
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

DraggingInfo draggingInfo(const QDropEvent& event)
{
    return draggingInfo(event.mimeData(), qobject_cast<QWidget*>(event.source()));
}

} // namespace pellamor
