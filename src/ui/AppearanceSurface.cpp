#include "ui/AppearanceSurface.h"

#include "ui/AppConstants.h"
#include "ui/SymbolView.h"
#include "platform/Platform.h"

#include <QBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace pellamor {

AppearanceSurface::AppearanceSurface(
    DynamicColor fill, double cornerRadius, std::optional<DynamicColor> outline, double outlineOpacity, QWidget* parent)
    : QWidget(parent)
    , fillColor(fill)
    , outlineColor(outline)
    , outlineOpacity(outlineOpacity)
    , cornerRadius_(cornerRadius)
{
}

std::optional<QColor> AppearanceSurface::resolvedBorderColor() const
{
    if (!outlineColor)
        return std::nullopt;
    QColor colour = outlineColor->resolved();
    colour.setAlphaF(static_cast<float>(colour.alphaF() * outlineOpacity));
    return colour;
}

void AppearanceSurface::paintEvent(QPaintEvent*)
{
    // Resolved at every drawing, so an appearance change only needs a repaint.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QRectF bounds = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(bounds, cornerRadius_, cornerRadius_);
    painter.fillPath(path, resolvedFillColor());
    if (std::optional<QColor> border = resolvedBorderColor()) {
        painter.setPen(QPen(*border, borderWidth()));
        painter.drawPath(path);
    }
}

namespace AppInterface {

Label* label(const std::string& text, double size, FontWeight weight, bool secondary)
{
    auto* made = new Label(text);
    made->setFontSize(size, weight);
    made->setColorRole(secondary ? ColorRole::secondaryLabel : ColorRole::label);
    return made;
}

QWidget* spacer()
{
    auto* made = new QWidget;
    made->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    return made;
}

QWidget* stack(const std::vector<QWidget*>& views, bool vertical, int spacing)
{
    auto* made = new QWidget;
    auto* layout = new QBoxLayout(vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight, made);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (QWidget* view : views) {
        // A vertical stack gives every row the column's full width; a horizontal one centres vertically.
        if (vertical)
            layout->addWidget(view);
        else
            layout->addWidget(view, 0, Qt::AlignVCenter);
    }
    return made;
}

AppearanceSurface* card(QWidget* content, QMargins insets)
{
    auto* surface
        = new AppearanceSurface({ ColorRole::controlBackground }, 12, DynamicColor { ColorRole::separator }, 0.35);
    auto* layout = new QVBoxLayout(surface);
    layout->setContentsMargins(insets);
    layout->addWidget(content);
    return surface;
}

std::optional<QPixmap> brandImage()
{
    std::filesystem::path resources = platform().resourcesDirectory();
    if (resources.empty())
        return std::nullopt;
    QPixmap icon(QString::fromStdString((resources / "AppIcon.png").string()));
    if (icon.isNull())
        return std::nullopt;
    return icon;
}

QWidget* header(const std::string& title, const std::string& subtitle, const std::string& symbol, bool branded)
{
    std::optional<QPixmap> brand = branded ? brandImage() : std::nullopt;
    auto* badge = new AppearanceSurface(
        brand ? DynamicColor { ColorRole::clear } : DynamicColor { ColorRole::accent, 0.08 }, 12);
    badge->setObjectName("header-badge");
    badge->setFixedSize(46, 46);
    auto* picture = new SymbolView(symbol, 23);
    picture->setFontWeight(QFont::Medium);
    auto* badgeLayout = new QVBoxLayout(badge);
    badgeLayout->setContentsMargins(0, 0, 0, 0);
    badgeLayout->addWidget(picture);
    if (brand) {
        picture->setImage(*brand);
        picture->setAccessibleName(QString::fromUtf8(appName));
    }

    Label* titleLabel = label(title, 24, FontWeight::bold);
    Label* subtitleLabel = label(subtitle, 13, FontWeight::regular, true);
    QWidget* texts = stack({ titleLabel, subtitleLabel }, true, 5);
    texts->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    return stack({ badge, texts }, false, 14);
}

} // namespace AppInterface

} // namespace pellamor
