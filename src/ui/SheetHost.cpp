#include "ui/SheetHost.h"

#include <QCloseEvent>
#include <QPointer>
#include <vector>

namespace pellamor {

void SheetDialog::closeEvent(QCloseEvent* event)
{
    if (event->spontaneous())
        event->ignore();
    else
        event->accept();
}

} // namespace pellamor

namespace pellamor::SheetHost {
namespace {

struct Attachment {
    QPointer<QWidget> window;
    QPointer<QWidget> sheet;
};

std::vector<Attachment>& attachments()
{
    static std::vector<Attachment> all;
    std::erase_if(all, [](const Attachment& entry) { return !entry.window || !entry.sheet; });
    return all;
}

} // namespace

QWidget* attachedSheet(const QWidget* window)
{
    for (const Attachment& entry : attachments()) {
        if (entry.window == window)
            return entry.sheet;
    }
    return nullptr;
}

bool hasAttachedSheet(const QWidget* window)
{
    return attachedSheet(window) != nullptr;
}

bool beginSheet(QWidget* window, QWidget* sheet)
{
    if (!window || !sheet || hasAttachedSheet(window))
        return false;
    attachments().push_back({ window, sheet });
    sheet->setParent(window, Qt::Sheet);
    sheet->setWindowModality(Qt::WindowModal);
    sheet->show();
    return true;
}

void endSheet(QWidget* sheet)
{
    std::erase_if(attachments(), [sheet](const Attachment& entry) { return entry.sheet == sheet; });
    if (sheet)
        sheet->hide();
}

} // namespace pellamor::SheetHost
