// The onboarding sheet "Prise en main" and whether it is still to be shown at launch.
#pragma once

#include "platform/UserDefaults.h"

#include <QDialog>
#include <QPointer>
#include <functional>
#include <optional>
#include <string>

class QLabel;

namespace pellamor {

class Label;

class OnboardingProgress {
public:
    static constexpr const char* seenKey = "onboardingIntroductionSeen";

    explicit OnboardingProgress(UserDefaults& defaults)
        : defaults_(defaults)
    {
    }
    bool shouldPresentOnLaunch() const { return !defaults_.boolean(seenKey).valueOr(false); }
    void finish() { defaults_.set(seenKey, true); }

private:
    UserDefaults& defaults_;
};

class OnboardingController {
public:
    // `onFinish` gets the tab to show next ("screens"), or none when the sheet was skipped.
    OnboardingController(
        std::function<void()> requestAccessibility, std::function<void(std::optional<std::string> tab)> onFinish);
    ~OnboardingController();
    OnboardingController(const OnboardingController&) = delete;
    OnboardingController& operator=(const OnboardingController&) = delete;

    void present(QWidget* window);
    void refreshPermissions();
    QDialog* window() const { return window_; }

private:
    void finish(std::optional<std::string> tab);

    std::function<void()> requestAccessibility_;
    std::function<void(std::optional<std::string>)> onFinish_;
    QPointer<QDialog> window_;
    Label* accessibilityStatus_;
    bool isFinished_ = false;
};

} // namespace pellamor
