// The interface kit: a rounded surface whose colours follow the appearance, and the factories every view uses.
#pragma once

#include "ui/ColorTable.h"
#include "ui/Label.h"

#include <QMargins>
#include <QPixmap>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

namespace pellamor {

class AppearanceSurface : public QWidget {
    Q_OBJECT
public:
    AppearanceSurface(DynamicColor fill, double cornerRadius, std::optional<DynamicColor> outline = std::nullopt,
        double outlineOpacity = 1.0, QWidget* parent = nullptr);

    DynamicColor fillColor;
    std::optional<DynamicColor> outlineColor;
    double outlineOpacity;

    double cornerRadius() const { return cornerRadius_; }
    int borderWidth() const { return outlineColor ? 1 : 0; }
    QColor resolvedFillColor() const { return fillColor.resolved(); }
    // None without an outline.
    std::optional<QColor> resolvedBorderColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double cornerRadius_;
};

namespace AppInterface {

Label* label(
    const std::string& text, double size = 13, FontWeight weight = FontWeight::regular, bool secondary = false);
QWidget* spacer();
QWidget* stack(const std::vector<QWidget*>& views, bool vertical, int spacing = 12);
AppearanceSurface* card(QWidget* content, QMargins insets = QMargins(18, 16, 18, 16));
QWidget* header(const std::string& title, const std::string& subtitle, const std::string& symbol, bool branded);
// The application's icon, none when the bundle has no readable "AppIcon.png".
std::optional<QPixmap> brandImage();

} // namespace AppInterface

} // namespace pellamor
