// Where the hover preview card goes beside a hovered window card, and how the card is laid out inside.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <optional>

namespace pellamor {

namespace WindowPreviewGeometry {

inline constexpr double minimumHeight = 297.0;
inline constexpr double minimumWidth = 240.0;
inline constexpr double maximumWidth = 384.0;
// What the card holds besides the image: header, title, details and margins.
inline constexpr double chromeHeight = 126.0;
inline constexpr double maximumImageHeight = 337.0;
// Between the host's edges and the card.
inline constexpr double hostInset = 4.0;

// The card's rectangle for a desired size beside the anchor, all in the host's coordinates (y down); none
// when no side has room.
std::optional<QRectF> frame(const QSizeF& size, const QRectF& anchor, const QPointF& pointer, const QRectF& available);

// The desired card size in the available area for a window of that frame.
QSizeF desiredSize(const QRectF& available, const QRectF& windowFrame);

// The card's subviews in its own coordinates (y down) for a card of that size.
struct CardLayout {
    QRectF appIcon;
    QRectF application;
    QRectF title;
    QRectF image;
    QRectF fallback;
    QRectF details;
};
CardLayout layout(const QSizeF& card);

} // namespace WindowPreviewGeometry

} // namespace pellamor
