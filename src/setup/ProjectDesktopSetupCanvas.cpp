// The left column of the panel: one drop card per content screen of the selected project, with the windows on
// the project's desktop there and a button that moves the selected window to it; and the panel as the return
// target of a dragged card.
#include "setup/ProjectDesktopSetupView.h"

#include "assistant/Localization.h"
#include "setup/ProjectDisplayDropView.h"
#include "setup/SetupControls.h"
#include "setup/SetupPanelRules.h"
#include "ui/AppearanceSurface.h"
#include "ui/ColorTable.h"
#include "ui/Label.h"
#include "ui/SymbolView.h"
#include "ui/SystemFont.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace pellamor {
namespace {

Label* columnLabel(const std::string& text, double size, FontWeight weight, bool secondary, QWidget* parent,
    const QRect& frame)
{
    Label* label = AppInterface::label(text, size, weight, secondary);
    label->setParent(parent);
    label->setFont(systemFont(size, weight));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(frame);
    label->show();
    return label;
}

std::string usedByProject(int windowCount)
{
    std::string count = std::to_string(windowCount);
    return windowCount == 1 ? L("Utilisé par ce projet · %@ fenêtre", count)
                            : L("Utilisé par ce projet · %@ fenêtres", count);
}

} // namespace

int ProjectDesktopSetupView::screenCardHeight(int windowCount)
{
    return windowCount == 0 ? 160 : 102 + 84 * windowCount;
}

SetupDocument* ProjectDesktopSetupView::replaceDocument(QScrollArea* scroll)
{
    // The old document goes later with all its cards at once: a card's own event may be what asked for the
    // rebuild. Hiding it first makes a card under a drag report that the hover ended.
    QWidget* old = scroll->takeWidget();
    if (old) {
        endDragHovers(old);
        old->hide();
        old->deleteLater();
    }
    auto* document = new SetupDocument;
    scroll->setWidget(document);
    // The scroll view would fill it with the window colour, a grey block on the panel.
    document->setAutoFillBackground(false);
    return document;
}

void ProjectDesktopSetupView::endDragHovers(QWidget* document)
{
    for (auto* card : document->findChildren<ProjectDisplayDropView*>())
        card->endDragHover();
}

void ProjectDesktopSetupView::scrollTo(QScrollArea* scroll, int offset)
{
    int limit = std::max(scroll->widget()->height() - scroll->viewport()->height(), 0);
    scroll->verticalScrollBar()->setRange(0, limit);
    scroll->verticalScrollBar()->setValue(std::clamp(offset, 0, limit));
}

double ProjectDesktopSetupView::seenWidth(QScrollArea* scroll)
{
    // The scroll area shows or hides its scroll bar on a queued call: let it, so that the width read is the one seen.
    QCoreApplication::sendPostedEvents(scroll, QEvent::MetaCall);
    return scroll->viewport()->width();
}

void ProjectDesktopSetupView::rebuildCanvas()
{
    ++rebuildCount_;
    const OverviewProjectAssignment* selected = selectedAssignment();
    canvasTitle_->setText(selected ? L("Écrans de %@", selected->name) : L("Écrans du projet"));
    int offset = canvasScroll_->verticalScrollBar()->value();
    canvas_ = replaceDocument(canvasScroll_);
    moveButtons_.clear();
    int width = static_cast<int>(std::max(lastCanvasWidth_, 180.0));
    int y = 0;
    if (!selected) {
        columnLabel(L("Sélectionne un projet pour organiser ses fenêtres sur tes écrans."), 14, FontWeight::regular,
            true, canvas_, QRect(12, 20, width - 24, 52));
        y = 100;
    } else {
        y = layoutScreenCards(*selected, width);
    }
    canvas_->resize(width, y);
    double contentWidth = seenWidth(canvasScroll_);
    if (contentWidth > 0 && std::abs(contentWidth - lastCanvasWidth_) > 0.5) {
        lastCanvasWidth_ = contentWidth;
        rebuildCanvas();
        return;
    }
    scrollTo(canvasScroll_, offset);
    updateMoveButtons();
}

int ProjectDesktopSetupView::layoutScreenCards(const OverviewProjectAssignment& selected, int width)
{
    std::vector<std::string> screens;
    for (const auto& id : displayOrder_) {
        if (!reservedDisplay_ || !SetupPanelRules::equalIgnoringCase(id, *reservedDisplay_))
            screens.push_back(id);
    }
    int y = 2;
    if (screens.empty()) {
        columnLabel(L("Aucun écran de contenu disponible. L’écran de Codex reste réservé à l’assistant."), 13,
            FontWeight::regular, true, canvas_, QRect(12, 16, width - 24, 54));
        y = 87;
    }
    if (selected.unavailable) {
        columnLabel(L("Certains écrans du projet sont déconnectés. Leur organisation sera conservée à leur retour."),
            11, FontWeight::regular, true, canvas_, QRect(12, y, width - 24, 42));
        y += 54;
    }
    for (const auto& screen : screens)
        y += addScreenCard(screen, selected.id, width, y) + 18;
    return y;
}

int ProjectDesktopSetupView::addScreenCard(const std::string& screen, const std::string& projectID, int width, int y)
{
    std::optional<NativeDesktopState> linked = linkedDesktop(screen);
    std::vector<const DesktopWindow*> windows;
    if (linked) {
        for (const auto& record : records_) {
            if (std::find(record.spaces.begin(), record.spaces.end(), linked->spaceID) != record.spaces.end())
                windows.push_back(&record);
        }
    }
    auto* card = new ProjectDisplayDropView(screen, canvas_);
    card->setObjectName(QString::fromStdString("project-display:" + screen));
    card->setActive(linked.has_value());
    QPointer<ProjectDesktopSetupView> self(this);
    auto allowed = [self, screen, projectID](const DraggingInfo& info) {
        return self && self->isEligibleTarget(screen, projectID) && self->canDropOnDisplay
            && self->canDropOnDisplay(info, screen);
    };
    card->accepts = allowed;
    card->onDrop = [self, screen, allowed](const DraggingInfo& info) {
        if (!allowed(info) || !self->onDropOnDisplay)
            return false;
        self->onDropOnDisplay(info, screen);
        return true;
    };
    card->onDragHover = [self, screen](bool hovering) {
        if (self && self->onDisplayDragHover)
            self->onDisplayDragHover(screen, hovering);
    };
    int count = static_cast<int>(windows.size());
    int height = screenCardHeight(count);
    card->setGeometry(1, y, width - 2, height);
    std::string name = displayName(screen);
    card->setAccessibleName(QString::fromStdString(L("%@, écran de destination", name)));

    auto* symbol = new SymbolView("display", 18, card);
    symbol->setTint(linked ? ColorRole::accent : ColorRole::secondaryLabel);
    symbol->setGeometry(14, 12, 22, 22);
    Label* title = columnLabel(name, 15, FontWeight::semibold, false, card, QRect(44, 12, width - 60, 23));
    title->setWrapping(false);
    std::string subtitle = linked ? usedByProject(count) : L("Prêt à recevoir des fenêtres");
    columnLabel(subtitle, 11, FontWeight::regular, true, card, QRect(14, 39, width - 30, 18))->setWrapping(false);
    if (windows.empty())
        columnLabel(L("Glisse une fenêtre sur cet écran"), 13, FontWeight::regular, true, card,
            QRect(14, 83, width - 30, 25));
    int number = 0;
    std::uint64_t source = 0;
    if (linked) {
        auto found = std::find_if(desktops_.begin(), desktops_.end(),
            [&](const NativeDesktopState& desktop) { return desktop.spaceID == linked->spaceID; });
        if (found != desktops_.end()) {
            number = static_cast<int>(found - desktops_.begin()) + 1;
            source = found->spaceID;
        }
    }
    for (int index = 0; index < count; ++index) {
        const DesktopWindow& window = *windows[index];
        bool known = number != 0;
        std::uint64_t from = known ? source : (window.spaces.size() == 1 ? window.spaces.front() : 0);
        QWidget* view = windowCard(window, from, known ? number : 0, true, false);
        view->setParent(card);
        view->setGeometry(14, 76 + 84 * index, width - 30, 76);
        view->show();
    }

    auto* move = new SetupActionButton(L("Déplacer la sélection ici"), card);
    move->setObjectName(QString::fromStdString("move-selection:" + screen));
    move->displayID = screen;
    move->projectID = projectID;
    move->setFont(systemFont(11));
    move->setGeometry(10, height - 30, std::min(width - 28, 220), 25);
    connect(move, &QPushButton::clicked, this, [this, move] { moveSelection(move); });
    moveButtons_.push_back(move);
    card->show();
    return height;
}

QWidget* ProjectDesktopSetupView::windowCard(
    const DesktopWindow& window, std::uint64_t source, int number, bool onDisplay, bool showsIdentity)
{
    if (makeWindowCard)
        return makeWindowCard(window, source, number, onDisplay, showsIdentity);
    auto* label = new Label(window.application + " · " + window.title);
    label->setFont(systemFont(12));
    label->setWrapping(false);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

bool ProjectDesktopSetupView::isAlreadyOn(const std::string& display) const
{
    std::optional<NativeDesktopState> linked = linkedDesktop(display);
    return linked && selectedSource_ && *selectedSource_ == linked->spaceID;
}

void ProjectDesktopSetupView::updateMoveButtons()
{
    for (SetupActionButton* button : moveButtons_) {
        button->setHidden(!selectedWindowID_);
        bool enabled = !busy_ && inventoryHasLoaded_ && isEligibleTarget(button->displayID, button->projectID)
            && selectedWindowID_ && !isAlreadyOn(button->displayID) && canMoveSelectionToDisplay
            && canMoveSelectionToDisplay(button->displayID);
        button->setEnabled(enabled);
    }
}

void ProjectDesktopSetupView::moveSelection(SetupActionButton* button)
{
    if (!selectedWindowID_ || !isEligibleTarget(button->displayID, button->projectID)
        || isAlreadyOn(button->displayID))
        return;
    std::string display = button->displayID;
    if (canMoveSelectionToDisplay && canMoveSelectionToDisplay(display) && onMoveSelectionToDisplay)
        onMoveSelectionToDisplay(display);
}

bool ProjectDesktopSetupView::isReturnDropLocation(const QPointF& point) const
{
    double top = point.x() >= libraryScroll_->geometry().left() ? libraryTitle_->geometry().top() - 4
                                                                 : canvasScroll_->geometry().top();
    if (!QRectF(rect()).contains(point) || point.y() < top || point.y() >= status_->geometry().top())
        return false;
    if (!QRectF(canvasScroll_->geometry()).contains(point))
        return true;
    for (auto* card : canvas_->findChildren<ProjectDisplayDropView*>(Qt::FindDirectChildrenOnly)) {
        if (card->rect().contains(card->mapFrom(this, point.toPoint())))
            return false;
    }
    return true;
}

bool ProjectDesktopSetupView::prepareReturn(const DraggingInfo& info, const QPointF& location) const
{
    if (busy_ || !selectedAssignment() || !inventoryHasLoaded_ || !isReturnDropLocation(location))
        return false;
    return canReturnToLibrary && canReturnToLibrary(info);
}

void ProjectDesktopSetupView::setReturnHighlighted(bool highlighted)
{
    returnHighlighted_ = highlighted;
    QWidget::update();
}

bool ProjectDesktopSetupView::returnDragUpdated(const DraggingInfo& info, const QPointF& location)
{
    setReturnHighlighted(prepareReturn(info, location));
    return returnHighlighted_;
}

void ProjectDesktopSetupView::returnDragExited()
{
    setReturnHighlighted(false);
}

bool ProjectDesktopSetupView::performReturnDrop(const DraggingInfo& info, const QPointF& location)
{
    setReturnHighlighted(false);
    if (!prepareReturn(info, location) || !onReturnToLibrary)
        return false;
    onReturnToLibrary(info);
    return true;
}

void ProjectDesktopSetupView::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void ProjectDesktopSetupView::dragMoveEvent(QDragMoveEvent* event)
{
    if (returnDragUpdated(draggingInfo(*event), event->position()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ProjectDesktopSetupView::dragLeaveEvent(QDragLeaveEvent*)
{
    returnDragExited();
}

void ProjectDesktopSetupView::dropEvent(QDropEvent* event)
{
    if (performReturnDrop(draggingInfo(*event), event->position()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ProjectDesktopSetupView::paintEvent(QPaintEvent*)
{
    if (!returnHighlighted_)
        return;
    QRectF scroll = libraryScroll_->geometry();
    double top = libraryTitle_->geometry().top() - 4;
    QRectF area(scroll.left() - 3, top, scroll.width() + 6, scroll.bottom() - libraryTitle_->geometry().top() + 7);
    QColor accent = ColorTable::color(ColorRole::accent);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = accent;
    fill.setAlphaF(0.08);
    painter.setBrush(fill);
    painter.setPen(QPen(accent, 2.0));
    painter.drawRoundedRect(area, 8, 8);
}

} // namespace pellamor
