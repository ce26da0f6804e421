#include "overview/WindowArrangementIcon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace pellamor {
namespace {

// The icon's 24 × 20 points drawn into `target`, keeping their proportions.
void draw(QPainter& painter, WindowArrangement arrangement, const QRectF& target, const QColor& colour)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(target.topLeft());
    painter.scale(target.width() / WindowArrangementIcon::size.width(),
        target.height() / WindowArrangementIcon::size.height());
    // Symmetric top to bottom, so the outline reads the same in either direction of y.
    QRectF screen(2, 3, 20, 14);
    QPainterPath outline;
    outline.addRoundedRect(screen, 2, 2);
    painter.setPen(QPen(colour, 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
    QRectF inner = screen.adjusted(2.5, 2.5, -2.5, -2.5);
    QRectF zone = arrangement.zone();
    painter.fillRect(QRectF(inner.x() + zone.x() * inner.width(), inner.y() + zone.y() * inner.height(),
                         zone.width() * inner.width(), zone.height() * inner.height()),
        colour);
    painter.restore();
}

// The largest size of the icon's proportions within `bounds`.
QSizeF fitted(const QSizeF& bounds)
{
    QSizeF natural(WindowArrangementIcon::size);
    return natural.scaled(bounds, Qt::KeepAspectRatio);
}

class ArrangementIconEngine : public QIconEngine {
public:
    ArrangementIconEngine(WindowArrangement arrangement, ColorRole tint)
        : arrangement_(arrangement)
        , tint_(tint)
    {
    }

    QIconEngine* clone() const override { return new ArrangementIconEngine(arrangement_, tint_); }
    QString key() const override { return QStringLiteral("pellamor.arrangement"); }

    QSize actualSize(const QSize& bounds, QIcon::Mode, QIcon::State) override
    {
        return fitted(bounds).toSize();
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        QSizeF drawn = fitted(rect.size());
        QRectF target(QPointF(rect.x() + (rect.width() - drawn.width()) / 2, rect.y() + (rect.height() - drawn.height()) / 2),
            drawn);
        draw(*painter, arrangement_, target, colour(mode));
    }

    QPixmap pixmap(const QSize& bounds, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(bounds, mode, state, 1);
    }

    // `bounds` in pixels, `scale` pixels per point.
    QPixmap scaledPixmap(const QSize& bounds, QIcon::Mode mode, QIcon::State, qreal scale) override
    {
        QSize pixels = fitted(bounds).toSize();
        if (pixels.isEmpty())
            return {};
        if (!std::isfinite(scale) || scale <= 0)
            scale = 1;
        QImage picture(pixels, QImage::Format_ARGB32_Premultiplied);
        picture.setDevicePixelRatio(scale);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        draw(painter, arrangement_, QRectF(0, 0, pixels.width() / scale, pixels.height() / scale), colour(mode));
        painter.end();
        return QPixmap::fromImage(std::move(picture));
    }

private:
    QColor colour(QIcon::Mode mode) const
    {
        if (mode == QIcon::Disabled)
            return ColorTable::color(ColorRole::disabledControlText);
        if (mode == QIcon::Active || mode == QIcon::Selected)
            return ColorTable::color(ColorRole::alternateSelectedControlText);
        return ColorTable::color(tint_);
    }

    WindowArrangement arrangement_;
    ColorRole tint_;
};

} // namespace

QIcon WindowArrangementIcon::icon(WindowArrangement arrangement, ColorRole tint)
{
    return QIcon(new ArrangementIconEngine(arrangement, tint));
}

} // namespace pellamor
