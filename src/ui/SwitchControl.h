// An on/off switch drawn as a sliding toggle; a click flips it and calls `onAction`.
#pragma once

#include <QAbstractButton>
#include <functional>
#include <string>

namespace pellamor {

class SwitchControl : public QAbstractButton {
    Q_OBJECT
public:
    explicit SwitchControl(QWidget* parent = nullptr);

    std::function<void()> onAction;

    bool isOn() const { return isChecked(); }
    void setOn(bool on) { setChecked(on); }
    void setAccessibilityLabel(const std::string& text);
    void setAccessibilityHelp(const std::string& text);
    void setToolTipText(const std::string& text);
    QSize sizeHint() const override { return { 38, 22 }; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace pellamor
