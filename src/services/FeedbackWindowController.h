// The feedback form, shown as a sheet: what kind of report, the message, the error concerned, a contact address.
#pragma once

#include "services/FeedbackModel.h"

#include <QDialog>
#include <QPointer>
#include <functional>
#include <optional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace pellamor {

class FeedbackService;
class Label;

class FeedbackWindowController {
public:
    FeedbackWindowController(FeedbackDraft draft, FeedbackService& service);
    ~FeedbackWindowController();
    FeedbackWindowController(const FeedbackWindowController&) = delete;
    FeedbackWindowController& operator=(const FeedbackWindowController&) = delete;

    // Called once when the form closes: the draft to keep, none when there is nothing worth keeping.
    std::function<void(std::optional<FeedbackDraft>)> onClose;

    void present(QWidget* window);
    QDialog* window() const { return window_; }
    FeedbackDraft draft() const;

private:
    void closeForm();

    FeedbackService& service_;
    std::string source_;
    QPointer<QDialog> window_;
    QComboBox* kindPicker_;
    QPlainTextEdit* message_;
    QPlainTextEdit* errorMessage_;
    QLineEdit* email_;
    Label* status_;
    QPushButton* sendButton_;
};

} // namespace pellamor
