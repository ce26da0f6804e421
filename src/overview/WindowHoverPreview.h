// The floating card beside a hovered window card: icon, application, title, a captured image or a status
// text, and the window's size. Not itself a view: it places its card in the hovered card's window.
#pragma once

#include "windows/DesktopWindow.h"

#include <QImage>
#include <QPointF>
#include <QPointer>
#include <QRectF>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>

namespace pellamor {

class AppearanceSurface;
class Label;
class PreviewImageView;

class WindowHoverPreview {
public:
    WindowHoverPreview();
    ~WindowHoverPreview();
    WindowHoverPreview(const WindowHoverPreview&) = delete;
    WindowHoverPreview& operator=(const WindowHoverPreview&) = delete;

    // `hoverPointInWindow` is in the anchor's window coordinates; none: the pointer's current location. Shown
    // again for the same window and unchanged geometry, only the texts and the image are refreshed.
    void show(const DesktopWindow& record, const std::optional<QImage>& image, QWidget* anchor,
        const std::string& status, std::optional<QPointF> hoverPointInWindow);
    void hide();
    // Ignored unless that window is the one shown; hides the card when its geometry is no longer current.
    void setImage(const std::optional<QImage>& image, std::uint32_t windowID);
    std::optional<std::uint32_t> representedWindowID() const { return representedWindowID_; }

    // The card; null before it is first shown.
    QWidget* surface() const;
    std::string applicationText() const { return application_; }
    std::string titleText() const { return title_; }
    std::string detailsText() const { return details_; }
    std::string statusText() const { return status_; }
    bool showsImage() const;

private:
    struct Card;
    Card& card();
    void fill(const DesktopWindow& record, const std::optional<QImage>& image, const std::string& status);
    void showImage(const std::optional<QImage>& image);
    void placeTexts();
    void bringToFront(QWidget* host);
    bool isVisible() const;
    bool geometryIsCurrent() const;

    std::optional<std::uint32_t> representedWindowID_;
    std::unique_ptr<Card> card_;
    QPointer<QWidget> anchor_;
    QPointer<QWidget> host_;
    std::optional<QRectF> laidOutAnchorFrame_;
    std::optional<QRectF> laidOutHostBounds_;
    std::optional<DesktopWindow> record_;
    std::string application_;
    std::string title_;
    std::string details_;
    std::string status_;
};

} // namespace pellamor
