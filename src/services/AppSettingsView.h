// The "Réglages" tab: language, the tutorial and the privacy details.
#pragma once

#include <QWidget>
#include <functional>

class QPushButton;
class QScrollArea;

namespace pellamor {

class AppSettingsView : public QWidget {
    Q_OBJECT
public:
    AppSettingsView();

    std::function<bool()> canChangeLanguage = [] { return true; };
    std::function<bool()> canShowOnboarding = [] { return true; };
    std::function<void()> onShowOnboarding;

    // Shows the privacy details and scrolls the privacy section to the top.
    void showPrivacy();
    bool privacyDetailsVisible() const;

private:
    void setPrivacyDetailsVisible(bool visible);

    QScrollArea* scrollView_;
    QWidget* privacyCard_;
    QWidget* privacyDetails_;
    QPushButton* privacyButton_;
};

} // namespace pellamor
