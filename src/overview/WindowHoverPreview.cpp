#include "overview/WindowHoverPreview.h"

#include "ui/AppearanceSurface.h"
#include "ui/ApplicationIcon.h"
#include "ui/Label.h"
#include "ui/WrappedText.h"
#include "windows/WindowPreviewGeometry.h"

#include <QCursor>
#include <QMainWindow>
#include <QPainter>
#include <cmath>

namespace pellamor {

// An image scaled to fit, centred, never enlarged unless asked.
class PreviewImageView : public QWidget {
public:
    PreviewImageView(bool enlarges, QWidget* parent)
        : QWidget(parent)
        , enlarges_(enlarges)
    {
    }
    void setImage(QImage image)
    {
        image_ = std::move(image);
        update();
    }
    bool hasImage() const { return !image_.isNull(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (image_.isNull() || width() <= 0 || height() <= 0)
            return;
        QSizeF size = image_.size();
        double scale = std::min(width() / size.width(), height() / size.height());
        if (!enlarges_)
            scale = std::min(scale, 1.0);
        size *= scale;
        QRectF target((width() - size.width()) / 2, (height() - size.height()) / 2, size.width(), size.height());
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, image_);
    }

private:
    bool enlarges_;
    QImage image_;
};

struct WindowHoverPreview::Card {
    QPointer<AppearanceSurface> surface;
    PreviewImageView* appIcon;
    Label* application;
    Label* title;
    PreviewImageView* imageView;
    Label* fallback;
    Label* details;
};

namespace {

const double cornerRadius = 10;

// The card's frames are in points, one pixel each, so its fonts are sized in pixels to fit them.
Label* makeLabel(QWidget* parent, int points, FontWeight weight, bool secondary)
{
    Label* label = AppInterface::label("", points, weight, secondary);
    label->setParent(parent);
    QFont font = label->font();
    font.setPixelSize(points);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// The text in at most `lines` lines of the label's width, the last one cut at its tail with an ellipsis.
std::string shown(const std::string& text, const Label* label, int lines)
{
    return wrappedLines(QString::fromStdString(text), label->font(), label->width(), lines).join('\n').toStdString();
}

// A window size as whole points, without the fraction; an unusable number counts as 0.
long long wholePoints(double value)
{
    if (!std::isfinite(value))
        return 0;
    return static_cast<long long>(std::clamp(std::trunc(value), -1e15, 1e15));
}

int pixels(double value)
{
    if (!std::isfinite(value))
        return 0;
    return static_cast<int>(std::lround(std::clamp(value, -1e6, 1e6)));
}

QRect pixelRect(const QRectF& rect)
{
    return QRect(pixels(rect.x()), pixels(rect.y()), pixels(rect.width()), pixels(rect.height()));
}

// The window's content view, which holds the card.
QWidget* contentOf(QWidget* window)
{
    if (auto* main = qobject_cast<QMainWindow*>(window); main && main->centralWidget())
        return main->centralWidget();
    return window;
}

QWidget* hostFor(QWidget* anchor)
{
    if (!anchor || !anchor->window() || !anchor->window()->isVisible() || !anchor->isVisible())
        return nullptr;
    return contentOf(anchor->window());
}

// The part of the anchor its ancestors up to the host let through, in host coordinates; none when the anchor
// is not inside the host or nothing of it shows.
std::optional<QRectF> visiblePart(QWidget* anchor, QWidget* host)
{
    QRect part = anchor->rect();
    QWidget* widget = anchor;
    while (widget != host) {
        QWidget* parent = widget->parentWidget();
        if (!parent || widget->isWindow())
            return std::nullopt;
        part = part.translated(widget->pos()) & parent->rect();
        widget = parent;
    }
    if (part.isEmpty())
        return std::nullopt;
    return QRectF(part);
}

} // namespace

WindowHoverPreview::WindowHoverPreview() = default;

WindowHoverPreview::~WindowHoverPreview()
{
    if (card_ && card_->surface)
        delete card_->surface;
}

WindowHoverPreview::Card& WindowHoverPreview::card()
{
    // The host may have taken the card down with it.
    if (card_ && card_->surface)
        return *card_;
    auto* surface = new AppearanceSurface(
        DynamicColor { ColorRole::controlBackground, 0.97 }, cornerRadius, DynamicColor { ColorRole::separator });
    surface->setObjectName("window-hover-preview");
    surface->hide();
    auto* appIcon = new PreviewImageView(false, surface);
    Label* application = makeLabel(surface, 12, FontWeight::semibold, false);
    application->setWrapping(false);
    Label* title = makeLabel(surface, 12, FontWeight::medium, false);
    auto* imageView = new PreviewImageView(true, surface);
    Label* fallback = makeLabel(surface, 12, FontWeight::regular, true);
    fallback->setAlignment(Qt::AlignCenter);
    Label* details = makeLabel(surface, 10, FontWeight::regular, true);
    details->setWrapping(false);
    card_ = std::make_unique<Card>(Card { surface, appIcon, application, title, imageView, fallback, details });
    return *card_;
}

QWidget* WindowHoverPreview::surface() const
{
    return card_ ? card_->surface.data() : nullptr;
}

bool WindowHoverPreview::showsImage() const
{
    return card_ && card_->surface && card_->imageView->hasImage();
}

bool WindowHoverPreview::isVisible() const
{
    QWidget* shown = surface();
    return representedWindowID_ && host_ && shown && shown->parentWidget() == host_ && shown->window()->isVisible()
        && shown->isVisible();
}

bool WindowHoverPreview::geometryIsCurrent() const
{
    if (!anchor_ || !host_ || anchor_->window() != host_->window() || !anchor_->isVisible())
        return false;
    std::optional<QRectF> part = visiblePart(anchor_, host_);
    return part && laidOutHostBounds_ == QRectF(host_->rect()) && laidOutAnchorFrame_ == part;
}

void WindowHoverPreview::show(const DesktopWindow& record, const std::optional<QImage>& image, QWidget* anchor,
    const std::string& status, std::optional<QPointF> hoverPointInWindow)
{
    QWidget* host = hostFor(anchor);
    if (!host || !visiblePart(anchor, host))
        return hide();
    bool unchanged
        = isVisible() && representedWindowID_ == record.id && anchor_ == anchor && host_ == host && geometryIsCurrent();
    representedWindowID_ = record.id;
    record_ = record;
    anchor_ = anchor;
    host_ = host;
    fill(record, image, status);
    if (unchanged)
        return bringToFront(host);

    QWidget* window = anchor->window();
    QPointF pointer = hoverPointInWindow ? *hoverPointInWindow : QPointF(window->mapFromGlobal(QCursor::pos()));
    if (hostFor(anchor) != host)
        return hide();
    std::optional<QRectF> anchorFrame = visiblePart(anchor, host);
    if (!anchorFrame)
        return hide();
    QRectF available = QRectF(host->rect())
                           .adjusted(WindowPreviewGeometry::hostInset, WindowPreviewGeometry::hostInset,
                               -WindowPreviewGeometry::hostInset, -WindowPreviewGeometry::hostInset);
    if (available.width() < WindowPreviewGeometry::minimumWidth
        || available.height() < WindowPreviewGeometry::minimumHeight)
        return hide();
    QSizeF desired = WindowPreviewGeometry::desiredSize(available, record.frame);
    std::optional<QRectF> frame
        = WindowPreviewGeometry::frame(desired, *anchorFrame, host->mapFrom(window, pointer), available);
    if (!frame)
        return hide();

    Card& parts = card();
    parts.surface->setGeometry(pixelRect(*frame));
    laidOutAnchorFrame_ = anchorFrame;
    laidOutHostBounds_ = QRectF(host->rect());
    WindowPreviewGeometry::CardLayout layout = WindowPreviewGeometry::layout(frame->size());
    parts.appIcon->setGeometry(pixelRect(layout.appIcon));
    parts.application->setGeometry(pixelRect(layout.application));
    parts.title->setGeometry(pixelRect(layout.title));
    parts.imageView->setGeometry(pixelRect(layout.image));
    parts.fallback->setGeometry(pixelRect(layout.fallback));
    parts.details->setGeometry(pixelRect(layout.details));
    placeTexts();
    parts.surface->update();
    bringToFront(host);
}

void WindowHoverPreview::fill(
    const DesktopWindow& record, const std::optional<QImage>& image, const std::string& status)
{
    application_ = record.application;
    title_ = record.title;
    details_ = std::to_string(wholePoints(record.frame.width())) + " × "
        + std::to_string(wholePoints(record.frame.height()));
    if (record.documentName)
        details_ += " · " + *record.documentName;
    status_ = status;
    Card& parts = card();
    std::optional<QPixmap> icon = ApplicationIcon::forProcess(record.pid, 20);
    parts.appIcon->setImage(icon ? icon->toImage() : QImage());
    showImage(image);
    placeTexts();
}

void WindowHoverPreview::showImage(const std::optional<QImage>& image)
{
    Card& parts = card();
    parts.imageView->setImage(image ? *image : QImage());
    parts.fallback->setVisible(!parts.imageView->hasImage());
}

void WindowHoverPreview::placeTexts()
{
    Card& parts = card();
    parts.application->setText(
        shown(application_, parts.application, 1));
    parts.title->setText(shown(title_, parts.title, 3));
    parts.fallback->setText(shown(status_, parts.fallback, 4));
    parts.details->setText(shown(details_, parts.details, 1));
}

void WindowHoverPreview::bringToFront(QWidget* host)
{
    AppearanceSurface* shown = card().surface;
    if (shown->parentWidget() != host) {
        shown->setParent(host);
    }
    shown->raise();
    shown->show();
}

void WindowHoverPreview::setImage(const std::optional<QImage>& image, std::uint32_t windowID)
{
    if (representedWindowID_ != windowID || !isVisible())
        return;
    if (!geometryIsCurrent())
        return hide();
    showImage(image);
}

void WindowHoverPreview::hide()
{
    representedWindowID_.reset();
    if (card_ && card_->surface) {
        card_->surface->hide();
        card_->surface->setParent(nullptr);
    }
    record_.reset();
    anchor_ = nullptr;
    host_ = nullptr;
    laidOutAnchorFrame_.reset();
    laidOutHostBounds_.reset();
    application_.clear();
    title_.clear();
    details_.clear();
    status_.clear();
    if (!card_ || !card_->surface)
        return;
    card_->imageView->setImage(QImage());
    card_->appIcon->setImage(QImage());
    placeTexts();
    card_->fallback->setVisible(true);
}

} // namespace pellamor
