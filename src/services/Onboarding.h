// The onboarding sheet "Prise en main": three pages, the two macOS permissions, and whether it is still to be
// shown at launch.
#pragma once

#include "platform/UserDefaults.h"
#include "ui/SheetHost.h"

#include <QDialog>
#include <QPointer>
#include <functional>
#include <optional>
#include <string>

class QPushButton;

namespace pellamor {

class Label;

enum class OnboardingPage { welcome = 0, permissions = 1, tutorial = 2 };

// Only 0 to 2.
std::optional<OnboardingPage> onboardingPageFromRawValue(int rawValue);

class OnboardingProgress {
public:
    static constexpr const char* seenKey = "onboardingIntroductionSeen";

    explicit OnboardingProgress(UserDefaults& defaults);

    OnboardingPage page() const { return page_; }
    // True unless the sheet was finished or skipped once; only a stored true counts.
    bool shouldPresentOnLaunch() const;
    void advance();
    void goBack();
    void finish();

private:
    UserDefaults& defaults_;
    OnboardingPage page_ = OnboardingPage::welcome;
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
    // Reads both permissions again; only the permissions page shows them.
    void refreshPermissions();
    QDialog* window() const { return window_; }
    OnboardingPage page() const { return progress_.page(); }

private:
    void render();
    QWidget* pageContent();
    QWidget* welcomePage();
    QWidget* permissionsPage();
    QWidget* tutorialPage();
    QPushButton* button(const std::string& title, const char* identifier, std::function<void()> action);
    void previousPage();
    void nextPage();
    void authorizeAccessibility();
    void authorizeCapture();
    void finish(std::optional<std::string> tab);

    OnboardingProgress progress_;
    std::function<void()> requestAccessibility_;
    std::function<void(std::optional<std::string>)> onFinish_;
    QPointer<SheetDialog> window_;
    // Made once, moved into each rendering of the permissions page.
    QPointer<Label> accessibilityStatus_;
    QPointer<Label> captureStatus_;
    QPointer<QPushButton> accessibilityButton_;
    QPointer<QPushButton> captureButton_;
    QPointer<QWidget> content_;
    bool isFinished_ = false;
};

} // namespace pellamor
