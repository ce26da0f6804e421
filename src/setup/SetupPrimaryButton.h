// The panel's primary button: a rounded shape drawn at the label colour's alphas, a symbol and a title.
#pragma once

#include "ui/ColorTable.h"

#include <QAbstractButton>
#include <string>

namespace pellamor {

class SetupPrimaryButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit SetupPrimaryButton(const std::string& title, QWidget* parent = nullptr);

    void setSymbol(const std::string& name) { symbol_ = name; update(); }
    const std::string& symbolName() const { return symbol_; }
    void setAccessibilityLabel(const std::string& text);
    void setToolTipText(const std::string& text);

    // The on state, set by the owner while what the button opens is shown.
    void setOn(bool on) { on_ = on; update(); }
    bool isOn() const { return on_; }
    const std::string& title() const { return title_; }
    bool pressed() const { return isDown() || on_; }
    DynamicColor fillColor() const;
    DynamicColor strokeColor() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string title_;
    std::string symbol_;
    bool on_ = false;
};

} // namespace pellamor
