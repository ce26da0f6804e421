// The two columns of the panel: the selected project's screens as drop targets, and every window.
#include "setup/ProjectDesktopSetupView.h"

#include "assistant/Localization.h"
#include "setup/ProjectDisplayDropView.h"
#include "setup/SetupControls.h"
#include "setup/SetupPanelRules.h"
#include "ui/Label.h"
#include "ui/StandardText.h"
#include "ui/SystemFont.h"

#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>

namespace pellamor {
namespace {

constexpr int screenCardHeight = 150;
constexpr int screenCardHeader = 65;
constexpr int libraryCardHeight = 48;
constexpr int gap = 8;

// The width of the document: the view's, less the scroll bar's when `height` will not fit.
int documentWidth(const QScrollArea* scroll, int height)
{
    int width = scroll->viewport()->width();
    if (height > scroll->viewport()->height() && scroll->verticalScrollBar()->isHidden())
        width -= scroll->verticalScrollBar()->sizeHint().width();
    return std::max(width, 0);
}

// A fresh document in place of the old one, which goes later with all its cards at once: a card's own event
// may be what asked for the rebuild.
SetupDocument* replaceDocument(QScrollArea* scroll)
{
    QWidget* old = scroll->takeWidget();
    if (old) {
        old->hide();
        old->deleteLater();
    }
    auto* document = new SetupDocument;
    scroll->setWidget(document);
    return document;
}

int desktopNumber(const std::vector<NativeDesktopState>& desktops, std::uint64_t space)
{
    for (std::size_t index = 0; index < desktops.size(); ++index) {
        if (desktops[index].spaceID == space)
            return static_cast<int>(index) + 1;
    }
    return 0;
}

} // namespace

void ProjectDesktopSetupView::rebuildCanvas()
{
    ++rebuildCount_;
    canvas_ = replaceDocument(canvasScroll_);
    int screens = static_cast<int>(std::count_if(displayOrder_.begin(), displayOrder_.end(), [this](const auto& id) {
        return !reservedDisplay_ || !SetupPanelRules::equalIgnoringCase(id, *reservedDisplay_);
    }));
    int width = documentWidth(canvasScroll_, screens * (screenCardHeight + gap) - gap);
    int y = 0;
    QPointer<ProjectDesktopSetupView> self(this);
    for (const std::string& display : displayOrder_) {
        if (reservedDisplay_ && SetupPanelRules::equalIgnoringCase(display, *reservedDisplay_))
            continue;
        auto* card = new ProjectDisplayDropView(display, canvas_);
        card->setObjectName(QString::fromStdString("project-display:" + display));
        std::optional<NativeDesktopState> linked = linkedDesktop(display);
        card->setActive(linked.has_value());
        card->accepts = [self, display](const DraggingInfo& info) {
            if (!self || !self->selectedProjectID_ || !self->isEligibleTarget(display, *self->selectedProjectID_))
                return false;
            return self->canDropOnDisplay && self->canDropOnDisplay(info, display);
        };
        card->onDrop = [self, display](const DraggingInfo& info) {
            if (!self || !self->onDropOnDisplay)
                return false;
            self->onDropOnDisplay(info, display);
            return true;
        };
        card->onDragHover = [self, display](bool hovering) {
            if (self && self->onDisplayDragHover)
                self->onDisplayDragHover(display, hovering);
        };
        auto* name = new Label(displayName(display), card);
        name->setFont(systemFont(13, FontWeight::semibold));
        name->setWrapping(false);
        name->setGeometry(14, 12, std::max(width - 28, 0), 20);
        std::string detail = linked ? L("Bureau %@", std::to_string(desktopNumber(desktops_, linked->spaceID)))
                                    : L("Aucun bureau pour ce projet");
        auto* subtitle = new Label(detail, card);
        subtitle->setFont(systemFont(11));
        subtitle->setColorRole(ColorRole::secondaryLabel);
        subtitle->setWrapping(false);
        subtitle->setGeometry(14, 34, std::max(width - 28, 0), 18);
        int x = 12;
        if (linked && makeWindowCard) {
            int number = desktopNumber(desktops_, linked->spaceID);
            for (const auto& record : records_) {
                if (std::find(record.spaces.begin(), record.spaces.end(), linked->spaceID) == record.spaces.end())
                    continue;
                if (x + 160 > width - 12)
                    break;
                QWidget* window = makeWindowCard(record, linked->spaceID, number, true, false);
                window->setParent(card);
                window->setGeometry(x, screenCardHeader + 4, 160, 76);
                window->show();
                x += 168;
            }
        }
        card->setGeometry(0, y, width, screenCardHeight);
        card->show();
        y += screenCardHeight + gap;
    }
    canvas_->resize(width, std::max(y - gap, 0));
}

void ProjectDesktopSetupView::rebuildLibrary()
{
    library_ = replaceDocument(libraryScroll_);
    std::vector<const DesktopWindow*> listed;
    for (const auto& record : records_) {
        if (libraryQuery_.empty() || localizedStandardContains(record.title, libraryQuery_)
            || localizedStandardContains(record.application, libraryQuery_))
            listed.push_back(&record);
    }
    int width = documentWidth(libraryScroll_, static_cast<int>(listed.size()) * (libraryCardHeight + 6) - 6);
    int y = 0;
    if (makeWindowCard) {
        for (const DesktopWindow* shown : listed) {
            const DesktopWindow& record = *shown;
            std::uint64_t source = record.spaces.empty() ? 0 : record.spaces.front();
            QWidget* card = makeWindowCard(record, source, desktopNumber(desktops_, source), false, true);
            card->setParent(library_);
            card->setGeometry(0, y, width, libraryCardHeight);
            card->show();
            y += libraryCardHeight + 6;
        }
    }
    library_->resize(width, std::max(y - 6, 0));
}

void ProjectDesktopSetupView::updateSectionControls()
{
    toggleSectionsButton_->setEnabled(!busy_);
}

} // namespace pellamor
