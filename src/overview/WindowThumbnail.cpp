#include "overview/WindowThumbnail.h"

#include "assistant/Localization.h"
#include "overview/WindowArrangementIcon.h"
#include "overview/WindowThumbnailAccessibility.h"
#include "setup/WindowDragType.h"
#include "ui/ApplicationIcon.h"
#include "ui/ColorTable.h"
#include "ui/DragSession.h"
#include "ui/Label.h"
#include "ui/PlainText.h"
#include "ui/SymbolRegistry.h"
#include "ui/SymbolView.h"
#include "ui/SystemFont.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <cmath>
#include <limits>

namespace pellamor {
namespace {

Label* cardLabel(const std::string& text, double size, FontWeight weight, QWidget* parent)
{
    auto* label = new Label(text, parent);
    label->setFont(systemFont(size, weight));
    label->setWrapping(false);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

// Whole points for the label, a size no window can have clamped first.
std::string wholeNumber(double value)
{
    if (!std::isfinite(value))
        return "0";
    double clamped = std::clamp(value, 0.0, 1.0e9);
    return std::to_string(static_cast<long long>(clamped));
}

} // namespace

WindowThumbnail::WindowThumbnail(DesktopWindow record, std::uint64_t source, std::string token, int desktopNumber,
    bool isOnDisplay, bool showsApplicationIdentity, QWidget* parent)
    : QWidget(parent)
    , record_(std::move(record))
    , source_(source)
    , token_(std::move(token))
    , isOnDisplay_(isOnDisplay)
    , showsApplicationIdentity_(showsApplicationIdentity)
{
    installWindowThumbnailAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    setObjectName(QString::fromStdString("window-card:" + std::to_string(record_.id)));
    windowTitle_ = cardLabel(record_.title, 12, FontWeight::medium, this);
    windowTitle_->setObjectName("window-card-title");
    bool identity = isOnDisplay_ || showsApplicationIdentity_;
    if (!identity) {
        windowTitle_->setWrapping(true);
        windowTitle_->setMaximumLines(2);
    }
    if (identity) {
        // Without the application's own icon, a library card shows the generic one and a screen card none.
        applicationIcon_ = new SymbolView(isOnDisplay_ ? "" : "app", isOnDisplay_ ? 13 : 11, this);
        applicationIcon_->setTint(ColorRole::secondaryLabel);
        if (std::optional<QPixmap> icon = ApplicationIcon::forProcess(record_.pid, isOnDisplay_ ? 16 : 14))
            applicationIcon_->setImage(*icon);
        applicationIcon_->setAttribute(Qt::WA_TransparentForMouseEvents);
        applicationName_ = cardLabel(record_.application, isOnDisplay_ ? 12 : 10, FontWeight::semibold, this);
        if (!isOnDisplay_)
            applicationName_->setColorRole(ColorRole::secondaryLabel);
    }
    if (isOnDisplay_) {
        placementIcon_ = new SymbolView("", 12, this);
        placementIcon_->setObjectName("window-card-placement-icon");
        placementIcon_->setAttribute(Qt::WA_TransparentForMouseEvents);
        placementLabel_ = cardLabel({}, 10, FontWeight::medium, this);
        placementLabel_->setColorRole(ColorRole::secondaryLabel);
        setCurrentArrangement(std::nullopt);
    }

    std::string label;
    if (isOnDisplay_) {
        label = L("%@ — %@\nBureau %@ · %@ × %@", record_.application, record_.title, std::to_string(desktopNumber),
            wholeNumber(record_.frame.width()), wholeNumber(record_.frame.height()));
        if (record_.isMinimized == true)
            label += L(" · Réduite");
        if (record_.documentName)
            label.append("\n").append(L("Document : ")).append(*record_.documentName);
        setAccessibleDescription(PlainText::text(
            L("Clique sur cette carte pour rejoindre son bureau. Le clic droit permet de modifier son emplacement.")));
    } else {
        label = record_.application + " — " + record_.title;
        if (record_.isMinimized == true)
            label += L(" · Réduite");
        setAccessibleDescription(PlainText::text(L("Clique sur cette carte pour afficher son contenu. Quitte la carte pour le masquer. Le clic droit permet de modifier son emplacement.")));
    }
    setAccessibleName(PlainText::text(label));
}

WindowThumbnail::~WindowThumbnail() = default;

QMenu* WindowThumbnail::cardMenu()
{
    if (menu_)
        return menu_;
    // Made on first use: a list of hundreds of cards should not pay for hundreds of menus.
    menu_ = new QMenu(this);
    for (std::size_t tag = 0; tag < WindowArrangement::allCases.size(); ++tag) {
        WindowArrangement arrangement = WindowArrangement::allCases[tag];
        QAction* item = menu_->addAction(PlainText::title(arrangement.title()));
        item->setIcon(WindowArrangementIcon::icon(arrangement));
        item->setCheckable(true);
        item->setChecked(currentArrangement_ && *currentArrangement_ == arrangement);
        item->setEnabled(isEditable_);
        item->setData(static_cast<int>(tag));
        int chosen = static_cast<int>(tag);
        connect(item, &QAction::triggered, this, [this, chosen] { choosePlacement(chosen); });
        placementItems_.push_back(item);
    }
    returnSeparator_ = menu_->addSeparator();
    returnItem_ = menu_->addAction(PlainText::title(L("Remettre à sa place")));
    connect(returnItem_, &QAction::triggered, this, [this] { returnToLibrary(); });
    updateReturnAction();
    return menu_;
}

const std::vector<QAction*>& WindowThumbnail::placementItems()
{
    cardMenu();
    return placementItems_;
}

QAction* WindowThumbnail::returnItem()
{
    cardMenu();
    return returnItem_;
}

void WindowThumbnail::setCurrentArrangement(std::optional<WindowArrangement> arrangement)
{
    currentArrangement_ = arrangement;
    if (placementLabel_)
        placementLabel_->setText(placementSummary());
    if (placementIcon_) {
        if (arrangement) {
            placementIcon_->setIcon(WindowArrangementIcon::icon(*arrangement, ColorRole::accent));
        } else {
            placementIcon_->setSymbol("macwindow");
            placementIcon_->setTint(ColorRole::secondaryLabel);
        }
    }
    for (QAction* item : placementItems_) {
        WindowArrangement layout = WindowArrangement::allCases[static_cast<std::size_t>(item->data().toInt())];
        item->setChecked(arrangement && *arrangement == layout);
    }
}

void WindowThumbnail::setEditable(bool editable)
{
    isEditable_ = editable;
    for (QAction* item : placementItems_)
        item->setEnabled(editable);
}

void WindowThumbnail::setSelected(bool selected)
{
    selected_ = selected;
    update();
}

void WindowThumbnail::setCanReturnToLibrary(bool canReturn)
{
    canReturnToLibrary_ = canReturn;
    updateReturnAction();
}

void WindowThumbnail::setOnReturnToLibrary(std::function<void()> handler)
{
    onReturnToLibrary_ = std::move(handler);
    updateReturnAction();
}

void WindowThumbnail::setInteractive(bool interactive)
{
    isInteractive_ = interactive;
    setEnabled(true);
    setAttribute(Qt::WA_Disabled, false);
    setFocusPolicy(interactive ? Qt::StrongFocus : Qt::NoFocus);
    if (!interactive)
        endPointerInteraction();
    updateReturnAction();
}

std::string WindowThumbnail::placementSummary() const
{
    std::string summary = currentArrangement_ ? currentArrangement_->title() : L("Disposition libre");
    if (record_.isMinimized == true)
        return L("Réduite · %@", summary);
    return summary;
}

std::string WindowThumbnail::dragString() const
{
    return token_ + ":" + std::to_string(record_.id) + ":" + std::to_string(source_);
}

DragOperations WindowThumbnail::draggingOperations()
{
    return { Qt::MoveAction, Qt::IgnoreAction };
}

QPixmap WindowThumbnail::dragImage() const
{
    if (cachedImage_ && !cachedImage_->isNull())
        return *cachedImage_;
    if (std::optional<QPixmap> icon = ApplicationIcon::forProcess(record_.pid, 28))
        return *icon;
    return SymbolRegistry::image("macwindow", 28, ColorTable::color(ColorRole::secondaryLabel));
}

void WindowThumbnail::updateReturnAction()
{
    if (!menu_)
        return;
    bool shown = isOnDisplay_ && onReturnToLibrary_ != nullptr;
    returnItem_->setVisible(shown);
    returnSeparator_->setVisible(shown);
    returnSeparator_->setEnabled(false);
    returnItem_->setEnabled(shown && isInteractive_ && canReturnToLibrary_);
}

void WindowThumbnail::endPointerInteraction()
{
    press_.reset();
    if (!pointerInteraction_)
        return;
    pointerInteraction_ = false;
    if (onDraggingChange)
        onDraggingChange(false);
}

void WindowThumbnail::cancelOperation()
{
    if (!isDraggingWindow_)
        endPointerInteraction();
    if (onPreviewDismiss)
        onPreviewDismiss();
}

void WindowThumbnail::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    endPointerInteraction();
    if (!isInteractive_)
        return;
    if (event->modifiers() & Qt::ControlModifier) {
        showPlacementMenu();
        return;
    }
    QPointF point = event->position();
    if (!rect().contains(point.toPoint()))
        return;
    press_ = point;
    isDraggingWindow_ = false;
    movedDuringPress_ = false;
    if (!pointerInteraction_) {
        pointerInteraction_ = true;
        if (onDraggingChange)
            onDraggingChange(true);
    }
    if (onPreviewDismiss)
        onPreviewDismiss();
    setFocus(Qt::MouseFocusReason);
    if (onSelect)
        onSelect();
}

void WindowThumbnail::mouseMoveEvent(QMouseEvent* event)
{
    if (!isInteractive_ || isDraggingWindow_ || !press_)
        return;
    QPointF travel = event->position() - *press_;
    if (std::hypot(travel.x(), travel.y()) <= dragThreshold)
        return;
    movedDuringPress_ = true;
    if (!canDrag_)
        return;
    isDraggingWindow_ = true;
    if (onPreviewDismiss)
        onPreviewDismiss();
    startDrag();
}

void WindowThumbnail::startDrag()
{
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(windowDragType), QByteArray::fromStdString(dragString()));
    QPointer<WindowThumbnail> self(this);
    runDrag(this, data, dragImage(), draggingOperations());
    // The drag ran its own event loop: the card may be gone.
    if (!self)
        return;
    isDraggingWindow_ = false;
    endPointerInteraction();
}

void WindowThumbnail::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    bool activated = isInteractive_ && press_ && !movedDuringPress_ && !isDraggingWindow_
        && !(event->modifiers() & Qt::ControlModifier) && rect().contains(event->position().toPoint());
    press_.reset();
    if (!isDraggingWindow_)
        endPointerInteraction();
    if (activated && onActivate)
        onActivate(true);
}

void WindowThumbnail::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) {
        if (!event->isAutoRepeat())
            accessibilityPerformPress();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        cancelOperation();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool WindowThumbnail::accessibilityPerformPress()
{
    if (!isInteractive_)
        return false;
    if (onSelect)
        onSelect();
    if (onActivate)
        onActivate(false);
    return true;
}

QMenu* WindowThumbnail::menuForContextRequest()
{
    endPointerInteraction();
    if (onPreviewDismiss)
        onPreviewDismiss();
    if (onSelect)
        onSelect();
    return cardMenu();
}

void WindowThumbnail::contextMenuEvent(QContextMenuEvent* event)
{
    menuForContextRequest()->popup(event->globalPos());
}

void WindowThumbnail::showPlacementMenu()
{
    QMenu* menu = menuForContextRequest();
    // 8 points from the card's left and bottom edges.
    menu->popup(mapToGlobal(QPoint(8, height() - 8)));
}

bool WindowThumbnail::accessibilityPerformShowMenu()
{
    showPlacementMenu();
    return true;
}

void WindowThumbnail::choosePlacement(int tag)
{
    if (!isEditable_ || tag < 0 || tag >= static_cast<int>(WindowArrangement::allCases.size()))
        return;
    if (onPreviewDismiss)
        onPreviewDismiss();
    if (onSelect)
        onSelect();
    if (onArrange)
        onArrange(WindowArrangement::allCases[static_cast<std::size_t>(tag)]);
}

void WindowThumbnail::returnToLibrary()
{
    if (!isOnDisplay_ || !isInteractive_ || !canReturnToLibrary_ || !onReturnToLibrary_)
        return;
    endPointerInteraction();
    if (onPreviewDismiss)
        onPreviewDismiss();
    if (onSelect)
        onSelect();
    onReturnToLibrary_();
}

void WindowThumbnail::leaveEvent(QEvent* event)
{
    if (onPreviewHover)
        onPreviewHover(false);
    QWidget::leaveEvent(event);
}

bool WindowThumbnail::event(QEvent* event)
{
    // Taken out of its view, or hidden with the view that holds it (a rebuilt column): whatever the pointer
    // was doing with it is over.
    if ((event->type() == QEvent::ParentChange && !parentWidget()) || event->type() == QEvent::Hide) {
        endPointerInteraction();
        if (onPreviewDismiss)
            onPreviewDismiss();
    }
    return QWidget::event(event);
}

void WindowThumbnail::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 7, 7);
    painter.fillPath(shape, ColorTable::color(ColorRole::windowBackground));
    if (selected_)
        painter.setPen(QPen(ColorTable::color(ColorRole::accent), 2));
    else
        painter.setPen(QPen(ColorTable::color(ColorRole::separator), 1));
    painter.drawPath(shape);
}

void WindowThumbnail::resizeEvent(QResizeEvent*)
{
    layoutViews();
}

void WindowThumbnail::layoutViews()
{
    int w = width();
    int h = height();
    if (isOnDisplay_) {
        applicationIcon_->setGeometry(8, 7, 16, 16);
        applicationName_->setGeometry(29, 5, std::max(w - 37, 0), 20);
        windowTitle_->setGeometry(9, 28, std::max(w - 18, 0), 16);
        int iconTop = std::min(28 + 16 + 6, h - 10 - 16);
        placementIcon_->setGeometry(9, iconTop, 16, 16);
        placementLabel_->setGeometry(29, iconTop, std::max(w - 38, 0), 16);
        return;
    }
    if (showsApplicationIdentity_) {
        applicationIcon_->setGeometry(10, 6, 14, 14);
        applicationName_->setGeometry(29, 4, std::max(w - 39, 0), 18);
        windowTitle_->setGeometry(10, 25, std::max(w - 20, 0), 16);
        return;
    }
    int titleHeight = std::min(windowTitle_->heightForWidth(std::max(w - 20, 0)), std::min(32, h - 14));
    windowTitle_->setGeometry(10, std::max(7, (h - titleHeight) / 2), std::max(w - 20, 0), std::max(titleHeight, 0));
}

} // namespace pellamor
