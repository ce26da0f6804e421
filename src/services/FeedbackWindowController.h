// The feedback form, shown as a sheet: what kind of report, the message, the error concerned, a contact address;
// it sends through the feedback service and can open a pre-filled e-mail to support.
#pragma once

#include "services/FeedbackService.h"
#include "ui/ColorTable.h"
#include "ui/SheetHost.h"

#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace pellamor {

class Label;

// Where the support link writes to.
inline constexpr const char* supportAddress = "support@pellamor.app";

class FeedbackWindowController {
public:
    FeedbackWindowController(FeedbackDraft draft, FeedbackService& service);
    ~FeedbackWindowController();
    FeedbackWindowController(const FeedbackWindowController&) = delete;
    FeedbackWindowController& operator=(const FeedbackWindowController&) = delete;

    // Called once when the form closes: the draft to keep, none when it was sent or holds nothing worth keeping.
    std::function<void(std::optional<FeedbackDraft>)> onClose;

    void present(QWidget* window);
    QDialog* window() const { return window_; }
    // What the controls hold now, untrimmed.
    FeedbackDraft draft() const;

    void kindChanged();
    void send();
    void closeForm();
    void openSupport();

    // The "mailto" link of the support button for these texts.
    static std::string supportURL(FeedbackKind kind, const std::string& message, const std::string& errorText);

private:
    void setLocked(bool locked);
    void showStatus(const std::string& text, ColorRole role);
    void fitHeight();
    void finishSending(const FeedbackResult& result);

    FeedbackService& service_;
    std::string source_;
    QPointer<SheetDialog> window_;
    QComboBox* kindPicker_;
    Label* prompt_;
    QPlainTextEdit* message_;
    QWidget* errorGroup_;
    QPlainTextEdit* errorMessage_;
    QLineEdit* email_;
    Label* status_;
    QPushButton* supportButton_;
    QPushButton* closeButton_;
    QPushButton* sendButton_;
    bool sending_ = false;
    bool succeeded_ = false;
    // Sends in flight hold this weakly: the controller may be gone when one ends.
    std::shared_ptr<FeedbackWindowController*> self_ = std::make_shared<FeedbackWindowController*>(this);
};

} // namespace pellamor
