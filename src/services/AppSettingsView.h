// The "Réglages" tab: the interface language, the tutorial, the privacy details and the usage-analytics consent,
// on one scrolling page.
#pragma once

#include <QWidget>
#include <functional>

class QComboBox;
class QPushButton;
class QScrollArea;

namespace pellamor {

class Label;
class SwitchControl;

class AppSettingsView : public QWidget {
    Q_OBJECT
public:
    AppSettingsView();

    std::function<bool()> canChangeLanguage = [] { return true; };
    std::function<void()> onShowOnboarding;
    std::function<bool()> canShowOnboarding = [] { return true; };

    // Shows the privacy details and scrolls the privacy section near the top.
    void showPrivacy();
    bool privacyDetailsVisible() const;

    QComboBox* languagePicker() const { return languagePicker_; }
    Label* languageStatus() const { return languageStatus_; }
    QScrollArea* scrollView() const { return scrollView_; }
    QWidget* document() const { return document_; }
    QWidget* privacyCard() const { return privacyCard_; }
    QPushButton* privacyButton() const { return privacyButton_; }
    SwitchControl* usageAnalyticsSwitch() const { return usageAnalyticsSwitch_; }
    Label* usageAnalyticsStatus() const { return usageAnalyticsStatus_; }

private:
    QWidget* generalSection();
    QWidget* privacySection();
    QWidget* analyticsBlock();
    void languageChanged();
    void showOnboarding();
    void usageAnalyticsChanged();
    void refreshUsageAnalytics();
    void setPrivacyDetailsVisible(bool visible);
    // Lays the document out now at the scroll view's width.
    void layoutDocument();

    QComboBox* languagePicker_;
    Label* languageStatus_;
    QScrollArea* scrollView_;
    QWidget* document_;
    QPushButton* privacyButton_;
    SwitchControl* usageAnalyticsSwitch_;
    Label* usageAnalyticsStatus_;
    QWidget* privacyDetails_ = nullptr;
    QWidget* privacyCard_ = nullptr;
};

} // namespace pellamor
