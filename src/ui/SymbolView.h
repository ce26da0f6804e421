// An image view showing a system symbol tinted with a colour of the colour table, an image, or an icon.
#pragma once

#include "ui/ColorTable.h"

#include <QIcon>
#include <QPixmap>
#include <QWidget>
#include <string>

namespace pellamor {

class SymbolView : public QWidget {
    Q_OBJECT
public:
    SymbolView(const std::string& symbolName, double points, QWidget* parent = nullptr);

    void setSymbol(const std::string& symbolName);
    const std::string& symbolName() const { return symbolName_; }
    // A picture instead of a symbol, scaled proportionally to fit.
    void setImage(const QPixmap& image);
    // An icon drawn at the view's own resolution, proportionally to fit; it brings its own colours.
    void setIcon(const QIcon& icon);
    const QIcon& icon() const { return icon_; }
    void setTint(ColorRole role);
    ColorRole tint() const { return tint_; }
    void setPointSize(double points);
    void setFontWeight(QFont::Weight weight);
    // True when nothing would be drawn: an unknown symbol and no image or icon.
    bool isEmpty() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string symbolName_;
    QPixmap image_;
    QIcon icon_;
    double points_;
    QFont::Weight weight_ = QFont::Normal;
    ColorRole tint_ = ColorRole::accent;
};

} // namespace pellamor
