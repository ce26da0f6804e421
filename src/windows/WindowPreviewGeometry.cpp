#include "windows/WindowPreviewGeometry.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace pellamor {

namespace {

bool isUsable(const QRectF& rect)
{
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width())
        && std::isfinite(rect.height()) && rect.width() > 0 && rect.height() > 0;
}

double distance(const QPointF& point, const QRectF& rect)
{
    double dx = std::max({ rect.left() - point.x(), 0.0, point.x() - rect.right() });
    double dy = std::max({ rect.top() - point.y(), 0.0, point.y() - rect.bottom() });
    return std::hypot(dx, dy);
}

// A later candidate wins only when strictly nearer, or as near and strictly taller.
std::optional<QRectF> nearest(const std::vector<QRectF>& candidates, const QPointF& pointer)
{
    std::optional<QRectF> best;
    double bestDistance = 0;
    for (const QRectF& candidate : candidates) {
        double candidateDistance = distance(pointer, candidate);
        if (!best || candidateDistance < bestDistance
            || (candidateDistance == bestDistance && candidate.height() > best->height())) {
            best = candidate;
            bestDistance = candidateDistance;
        }
    }
    return best;
}

// The layout is given with its origin at the card's bottom-left corner, as the card is drawn.
QRectF fromBottom(double x, double y, double width, double height, double cardHeight)
{
    return QRectF(x, cardHeight - y - height, width, height);
}

} // namespace

std::optional<QRectF> WindowPreviewGeometry::frame(
    const QSizeF& size, const QRectF& anchor, const QPointF& pointer, const QRectF& available)
{
    if (!isUsable(available) || !isUsable(anchor))
        return std::nullopt;
    if (!std::isfinite(size.width()) || !std::isfinite(size.height()) || size.width() < minimumWidth
        || size.height() < minimumHeight)
        return std::nullopt;
    if (available.width() < minimumWidth || available.height() < minimumHeight)
        return std::nullopt;
    QRectF visible = anchor.intersected(available);
    if (visible.isEmpty())
        return std::nullopt;

    double width = std::min(available.width(), size.width());
    QPointF point = visible.contains(pointer) ? pointer : visible.center();
    double x = std::max(available.left(), std::min(point.x() - width / 2, available.right() - width));

    std::vector<QRectF> vertical;
    double roomBefore = visible.top() - available.top();
    if (roomBefore >= minimumHeight) {
        double height = std::min(roomBefore, size.height());
        vertical.emplace_back(x, visible.top() - height, width, height);
    }
    double roomAfter = available.bottom() - visible.bottom();
    if (roomAfter >= minimumHeight)
        vertical.emplace_back(x, visible.bottom(), width, std::min(roomAfter, size.height()));
    if (!vertical.empty())
        return nearest(vertical, point);

    double height = std::min(available.height(), size.height());
    double y = std::max(available.top(), std::min(point.y() - height / 2, available.bottom() - height));
    std::vector<QRectF> sides;
    if (width <= visible.left() - available.left())
        sides.emplace_back(visible.left() - width, y, width, height);
    if (width <= available.right() - visible.right())
        sides.emplace_back(visible.right(), y, width, height);
    return nearest(sides, point);
}

QSizeF WindowPreviewGeometry::desiredSize(const QRectF& available, const QRectF& windowFrame)
{
    double width = std::min(available.width(), maximumWidth);
    double content = width - 24;
    double aspect = windowFrame.height() / std::max(windowFrame.width(), 1.0);
    if (!std::isfinite(aspect) || aspect <= 0)
        aspect = 0.6;
    double imageHeight = std::min(std::max(aspect * content, minimumHeight - chromeHeight), maximumImageHeight);
    return QSizeF(width, imageHeight + chromeHeight);
}

WindowPreviewGeometry::CardLayout WindowPreviewGeometry::layout(const QSizeF& card)
{
    double width = card.width();
    double height = card.height();
    double content = width - 24;
    return CardLayout {
        .appIcon = fromBottom(12, height - 32, 20, 20, height),
        .application = fromBottom(39, height - 30, width - 51, 17, height),
        .title = fromBottom(12, height - 83, content, 45, height),
        .image = fromBottom(12, 34, content, height - chromeHeight, height),
        .fallback = fromBottom(24, (height - chromeHeight - 56) / 2 + 34, content - 24, 56, height),
        .details = fromBottom(12, 10, content, 14, height),
    };
}

} // namespace pellamor
