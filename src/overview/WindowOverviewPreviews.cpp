// The floating preview of a library card with its one-shot capture and image cache, and the panel's two
// permission indicators with the buttons that ask macOS for them.
#include "overview/WindowOverview.h"

#include "assistant/Localization.h"
#include "overview/WindowHoverPreview.h"
#include "overview/WindowThumbnail.h"
#include "platform/Platform.h"
#include "setup/ProjectDesktopSetupView.h"
#include "windows/WindowPreviewHoverSession.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace pellamor {

namespace {

const char* const screenRecordingPane = "x-apple.systempreferences:com.apple.preference.security?Privacy_ScreenCapture";
const char* const accessibilityPane = "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";

bool captureAllowed()
{
    return platform().windowList().preflightScreenCaptureAccess();
}

bool capturesSupported()
{
    return platform().operatingSystemVersion().major >= 14;
}

bool sameWindow(const QWidget* view, const QWidget* other)
{
    return view->window() == other->window();
}

QImage imageOf(const CapturedImage& captured)
{
    QImage image(captured.width, captured.height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull() || captured.pixels.size() != static_cast<std::size_t>(captured.width) * captured.height)
        return {};
    for (int row = 0; row < captured.height; ++row) {
        std::copy_n(captured.pixels.begin() + static_cast<std::ptrdiff_t>(row) * captured.width, captured.width,
            reinterpret_cast<std::uint32_t*>(image.scanLine(row)));
    }
    return image;
}

// Passes every event on; the controller only looks.
class EventMonitor final : public QObject {
public:
    explicit EventMonitor(std::function<void(QObject*, QEvent*)> handler)
        : handler_(std::move(handler))
    {
        qApp->installEventFilter(this);
    }
    ~EventMonitor() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::Enter:
        case QEvent::Leave:
        case QEvent::KeyPress:
        case QEvent::Wheel:
            handler_(receiver, event);
            break;
        default:
            break;
        }
        return false;
    }

private:
    std::function<void(QObject*, QEvent*)> handler_;
};

} // namespace

struct WindowOverviewView::CaptureTask {
    int generation = 0;
    int hoverTicket = 0;
    std::uint32_t window = 0;
    bool cancelled = false;
};

int WindowOverviewView::captureHeight(double windowWidth, double windowHeight)
{
    double height = captureWidth * windowHeight / std::max(windowWidth, 1.0);
    // Clamped before the conversion: a NaN or huge value has no integer.
    if (std::isnan(height))
        return 1;
    return static_cast<int>(std::clamp(std::trunc(height), 1.0, 600.0));
}

void WindowOverviewView::installPreviewHandlers()
{
    QPointer<WindowOverviewView> self(this);
    hoverSession_ = std::make_shared<WindowPreviewHoverSession>(
        [self]() -> QPointF {
            if (!self || !self->window())
                return QPointF(1e30, 1e30);
            return self->window()->mapFromGlobal(QCursor::pos());
        },
        [self](const QPointF& point) { return self && self->previewContains(point); },
        [self] {
            if (self)
                self->dismissPreview();
        });
    setupView_->onAuthorizePreviews = [self] {
        if (self)
            self->authorizeCapture();
    };
    setupView_->onAuthorizeAccessibility = [self] {
        if (self)
            self->authorizeAccessibility();
    };
}

void WindowOverviewView::installPreviewCallbacks(WindowThumbnail* card)
{
    QPointer<WindowOverviewView> self(this);
    QPointer<WindowThumbnail> weakCard(card);
    card->onActivate = [self, weakCard](bool byPointer) {
        if (!self || !weakCard)
            return;
        if (weakCard->isOnDisplay())
            self->openDesktop(weakCard->record(), weakCard->source());
        else
            self->activateLibraryCard(weakCard, byPointer);
    };
    card->onPreviewHover = [self, weakCard](bool hovering) {
        if (self && !hovering && weakCard && self->hoveredTile_ == weakCard)
            self->dismissPreview();
    };
    card->onPreviewDismiss = [self] {
        if (self)
            self->dismissPreview();
    };
    if (auto cached = images_.find(card->record().id); cached != images_.end())
        card->setImage(QPixmap::fromImage(cached->second.image));
}

void WindowOverviewView::activateLibraryCard(WindowThumbnail* card, bool followingPointer)
{
    if (!visible_ || busy_ || draggingWindow_ || !trackedMenus_.empty() || trackingPopover_
        || !sameWindow(card, this))
        return;
    onUserInteraction();
    dismissPreview();
    hoveredTile_ = card;
    startPreviewTracking(followingPointer);
    showPreview(card, std::nullopt);
    capturePreviews();
}

bool WindowOverviewView::previewContains(const QPointF& point) const
{
    QWidget* host = window();
    if (!visible_ || busy_ || !host || !host->isVisible() || !hoveredTile_ || hoveredTile_->window() != host)
        return false;
    if (!hoveredTile_->isVisibleTo(host))
        return false;
    QRect visible = hoveredTile_->visibleRegion().boundingRect() & hoveredTile_->rect();
    if (visible.isEmpty())
        return false;
    return QRectF(visible).contains(hoveredTile_->mapFrom(host, point));
}

void WindowOverviewView::startPreviewTracking(bool followingPointer)
{
    QWidget* host = window();
    if (!host)
        return;
    previousMouseMovedEvents_ = host->hasMouseTracking();
    previewMouseWindow_ = host;
    host->setMouseTracking(true);
    QPointer<WindowOverviewView> self(this);
    previewEventMonitor_ = std::make_unique<EventMonitor>([self](QObject* receiver, QEvent* event) {
        if (self)
            self->previewEvent(receiver, event);
    });
    if (followingPointer)
        hoverSession_->start();
}

void WindowOverviewView::previewEvent(QObject* receiver, QEvent* event)
{
    if (!hoveredTile_)
        return;
    if (event->type() == QEvent::Wheel || event->type() == QEvent::KeyPress) {
        dismissPreview();
        return;
    }
    auto* target = qobject_cast<QWidget*>(receiver);
    if (!target)
        return;
    if (!sameWindow(target, this)) {
        dismissPreview();
        return;
    }
    std::optional<QPointF> point;
    if (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        point = target->window()->mapFromGlobal(mouse->globalPosition());
    }
    if (!hoverSession_->isActive())
        hoverSession_->start();
    else
        hoverSession_->check(point);
}

void WindowOverviewView::showPreview(WindowThumbnail* card, const std::optional<std::string>& status)
{
    if (!visible_ || busy_ || !card || card != hoveredTile_ || !sameWindow(card, this))
        return;
    hoverSession_->check();
    if (card != hoveredTile_)
        return;
    std::string text = status ? *status
        : !captureAllowed()   ? L("Autorise les aperçus pour voir cette fenêtre.")
        : capturesSupported() ? L("Chargement de l’aperçu…")
                              : L("Les aperçus nécessitent macOS 14 ou plus récent.");
    std::optional<QImage> image;
    if (auto cached = images_.find(card->record().id); cached != images_.end())
        image = cached->second.image;
    hoverPreview_->show(card->record(), image, card, text, std::nullopt);
}

void WindowOverviewView::capturePreviews()
{
    if (!visible_ || busy_ || captureTask_ || !captureAllowed() || !capturesSupported() || !hoveredTile_
        || hoverPreview_->representedWindowID() != hoveredTile_->record().id)
        return;
    std::uint32_t window = hoveredTile_->record().id;
    if (auto cached = images_.find(window);
        cached != images_.end() && platform().uptime() - cached->second.capturedAt < imageReuseAge) {
        hoverPreview_->setImage(cached->second.image, window);
        return;
    }
    auto task = std::make_shared<CaptureTask>(CaptureTask { generation_, hoverTicket_, window, false });
    captureTask_ = task;
    QPointer<WindowOverviewView> self(this);
    platform().screenCapture().shareableContent(
        true, false, [self, task](std::optional<std::vector<ShareableWindow>> content) {
            if (self)
                self->captureListed(task, std::move(content));
        });
}

bool WindowOverviewView::captureIsCurrent(const CaptureTask& task)
{
    hoverSession_->check();
    return !task.cancelled && task.generation == generation_ && task.hoverTicket == hoverTicket_ && visible_
        && !busy_ && hoveredTile_ && hoveredTile_->record().id == task.window
        && hoverPreview_->representedWindowID() == task.window;
}

void WindowOverviewView::showCaptureFailure(const std::string& text)
{
    if (hoveredTile_)
        showPreview(hoveredTile_, text);
}

bool WindowOverviewView::captureStopped(const CaptureTask& task, bool failed)
{
    bool current = captureIsCurrent(task);
    if (failed && current)
        showCaptureFailure(L("Aperçu indisponible pour cette fenêtre."));
    if (!failed && current)
        return false;
    endCapture(task);
    return true;
}

void WindowOverviewView::captureListed(
    const std::shared_ptr<CaptureTask>& task, std::optional<std::vector<ShareableWindow>> content)
{
    if (captureStopped(*task, !content))
        return;
    const ShareableWindow* listed = nullptr;
    for (const auto& window : *content) {
        if (!window.owningProcessID)
            continue;
        if (runtime_)
            runtime_->updateCaptureTitle(window.windowID, *window.owningProcessID, window.title);
        inventoryReader_->updateCaptureTitle(window.windowID, *window.owningProcessID, window.title);
        if (window.windowID == task->window)
            listed = &window;
    }
    if (!listed) {
        showCaptureFailure(L("Cette fenêtre ne fournit pas d’aperçu."));
        endCapture(*task);
        return;
    }
    WindowCaptureRequest request { task->window, captureWidth,
        captureHeight(listed->frame.width(), listed->frame.height()), false };
    QPointer<WindowOverviewView> self(this);
    platform().screenCapture().captureImage(request, [self, task](std::optional<CapturedImage> image) {
        if (self)
            self->captureArrived(task, std::move(image));
    });
}

void WindowOverviewView::captureArrived(const std::shared_ptr<CaptureTask>& task, std::optional<CapturedImage> image)
{
    QImage picture = image ? imageOf(*image) : QImage();
    if (captureStopped(*task, picture.isNull()))
        return;
    images_[task->window] = CachedImage { picture, platform().uptime() };
    for (WindowThumbnail* card : cards(task->window))
        card->setImage(QPixmap::fromImage(picture));
    hoverPreview_->setImage(picture, task->window);
    endCapture(*task);
}

void WindowOverviewView::endCapture(const CaptureTask& task)
{
    if (task.generation == generation_ && task.hoverTicket == hoverTicket_ && captureTask_.get() == &task)
        captureTask_.reset();
}

void WindowOverviewView::dismissPreview()
{
    if (hoverSession_)
        hoverSession_->stop();
    previewEventMonitor_.reset();
    if (previousMouseMovedEvents_ && previewMouseWindow_)
        previewMouseWindow_->setMouseTracking(*previousMouseMovedEvents_);
    previousMouseMovedEvents_.reset();
    previewMouseWindow_ = nullptr;
    ++hoverTicket_;
    hoveredTile_ = nullptr;
    if (hoverPreview_)
        hoverPreview_->hide();
    if (captureTask_)
        captureTask_->cancelled = true;
    captureTask_.reset();
}

WindowThumbnail* WindowOverviewView::hoveredTile() const
{
    return hoveredTile_.data();
}

std::optional<QImage> WindowOverviewView::cachedImage(std::uint32_t window) const
{
    auto cached = images_.find(window);
    if (cached == images_.end())
        return std::nullopt;
    return cached->second.image;
}

void WindowOverviewView::dropImages()
{
    images_.clear();
    if (captureTask_)
        captureTask_->cancelled = true;
    captureTask_.reset();
    for (auto& [number, shown] : thumbnails_) {
        for (const auto& card : shown) {
            if (card)
                card->setImage(std::nullopt);
        }
    }
}

void WindowOverviewView::refreshPermissionStatus()
{
    bool previews = captureAllowed();
    bool accessibility
        = platform().accessibility().isProcessTrusted() && platform().events().preflightPostEventAccess();
    std::pair<bool, bool> states { previews, accessibility };
    if (permissionSnapshot_ == states)
        return;
    if (permissionSnapshot_ && permissionSnapshot_->first && !previews) {
        dismissPreview();
        dropImages();
    }
    permissionSnapshot_ = states;
    setupView_->updatePermissions(previews, accessibility);
    std::string minimised = L("Les fenêtres réduites peuvent ne pas fournir d’image.");
    std::string askForPreviews = L("Autorise les aperçus pour afficher le contenu des fenêtres.");
    if (previews
        && (statusMessage_ == askForPreviews
            || statusMessage_
                == L("Active Pellamor dans Capture d’écran, puis reviens ici. Si macOS le demande, quitte et relance l’app.")))
        showStatus(minimised, false);
    else if (!previews && statusMessage_ == minimised)
        showStatus(askForPreviews, false);
}

void WindowOverviewView::authorizeCapture()
{
    if (busy_)
        return;
    onUserInteraction();
    dismissPreview();
    if (!captureAllowed())
        platform().windowList().requestScreenCaptureAccess();
    platform().workspace().openURL(screenRecordingPane);
    refreshPermissionStatus();
    if (!captureAllowed()) {
        showStatus(L("Active Pellamor dans Capture d’écran, puis reviens ici. Si macOS le demande, quitte et relance l’app."),
            false);
    }
}

void WindowOverviewView::authorizeAccessibility()
{
    if (busy_)
        return;
    onUserInteraction();
    dismissPreview();
    if (!platform().accessibility().isProcessTrusted())
        platform().accessibility().isProcessTrustedWithOptions(true);
    platform().workspace().openURL(accessibilityPane);
    refreshPermissionStatus();
}

} // namespace pellamor
