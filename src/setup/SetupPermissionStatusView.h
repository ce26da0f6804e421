// One macOS permission row of the setup panel: its title and symbol, and a green or orange state icon; the
// state and the action to take are told by the tool tip and the accessibility label.
#pragma once

#include <QAbstractButton>
#include <functional>
#include <optional>
#include <string>

namespace pellamor {

class SetupPermissionStatusView : public QAbstractButton {
    Q_OBJECT
public:
    SetupPermissionStatusView(const std::string& title, const std::string& symbolName,
        const std::string& authorizationTitle, QWidget* parent = nullptr);

    std::function<void()> onAction;

    void update(bool allowed);
    double preferredWidth() const;
    // The button's action: calls `onAction` when enabled.
    void activate();

    const std::string& title() const { return title_; }
    const std::optional<bool>& currentAuthorization() const { return currentAuthorization_; }
    const std::string& statusSymbol() const { return statusSymbol_; }
    const std::string& summary() const { return summary_; }
    double backgroundAlpha() const { return isDown() ? 0.09 : 0.035; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string title_;
    std::string symbol_;
    std::string authorizationTitle_;
    std::optional<bool> currentAuthorization_;
    std::string statusSymbol_;
    std::string summary_;
};

} // namespace pellamor
