// A push button whose image is a system symbol in a colour of the colour table, redrawn in the appearance in use.
#pragma once

#include "ui/ColorTable.h"

#include <QPushButton>
#include <optional>
#include <string>

namespace pellamor {

enum class ImagePosition { leading, trailing, only };

class SymbolButton : public QPushButton {
    Q_OBJECT
public:
    explicit SymbolButton(const std::string& title = {}, QWidget* parent = nullptr);

    void setTitle(const std::string& title);
    const std::string& title() const { return title_; }
    void setSymbol(const std::string& name, double points = 13, ImagePosition position = ImagePosition::leading);
    const std::string& symbolName() const { return symbol_; }
    // The colour of the title and the symbol; `label` by default.
    void setTint(ColorRole role);
    ColorRole tint() const { return tint_; }
    void setBordered(bool bordered);
    // A title that does not fit ends in an ellipsis instead of being cut; off by default.
    void setTruncatesTail(bool truncates);
    void setToolTipText(const std::string& text);
    void setAccessibilityLabel(const std::string& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyIcon();
    void showTitle();

    std::string title_;
    std::string symbol_;
    double points_ = 13;
    ImagePosition position_ = ImagePosition::leading;
    ColorRole tint_ = ColorRole::label;
    std::optional<Appearance> drawnFor_;
    bool enabledWhenDrawn_ = true;
    bool truncatesTail_ = false;
};

} // namespace pellamor
