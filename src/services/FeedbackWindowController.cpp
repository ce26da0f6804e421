#include "services/FeedbackWindowController.h"

#include "ui/AppearanceSurface.h"
#include "ui/PlainText.h"
#include "ui/SheetHost.h"
#include "assistant/Localization.h"
#include "services/FeedbackService.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pellamor {
namespace {

constexpr FeedbackKind kinds[] = { FeedbackKind::bug, FeedbackKind::improvement, FeedbackKind::feature };

bool isBlank(const QString& text)
{
    return text.trimmed().isEmpty();
}

} // namespace

FeedbackWindowController::FeedbackWindowController(FeedbackDraft draft, FeedbackService& service)
    : service_(service)
    , source_(draft.source)
    , window_(new SheetDialog)
{
    window_->setObjectName("feedback-form");
    window_->setWindowTitle(PlainText::text(L("Un problème ou une idée ?")));
    window_->resize(590, 660);

    kindPicker_ = new QComboBox;
    kindPicker_->setObjectName("feedback-kind");
    for (const std::string& title :
        { L("Signaler un bug"), L("Proposer une amélioration"), L("Demander une fonctionnalité") })
        kindPicker_->addItem(PlainText::text(title));
    kindPicker_->setCurrentIndex(static_cast<int>(draft.kind));
    message_ = new QPlainTextEdit(PlainText::text(draft.message));
    message_->setObjectName("feedback-message");
    errorMessage_ = new QPlainTextEdit(PlainText::text(draft.errorText));
    errorMessage_->setObjectName("feedback-error");
    errorMessage_->setFixedHeight(74);
    email_ = new QLineEdit(PlainText::text(draft.email));
    email_->setObjectName("feedback-email");
    email_->setPlaceholderText(PlainText::text(L("Email facultatif, pour te répondre")));
    status_ = AppInterface::label({}, 12, FontWeight::regular, true);
    status_->setObjectName("feedback-status");
    auto* close = new QPushButton(PlainText::title(L("Fermer")));
    close->setObjectName("close-feedback");
    QObject::connect(close, &QPushButton::clicked, window_, [this] { closeForm(); });
    sendButton_ = new QPushButton(PlainText::title(L("Envoyer")));
    sendButton_->setObjectName("send-feedback");
    if (!service_.isConfigured()) {
        status_->setText(L("L’envoi n’est pas disponible dans cette version. Tu peux contacter le support."));
        sendButton_->setEnabled(false);
    }

    auto* layout = new QVBoxLayout(window_);
    layout->setContentsMargins(24, 24, 24, 20);
    layout->setSpacing(10);
    layout->addWidget(AppInterface::label(L("Un problème ou une idée ?"), 22, FontWeight::semibold));
    layout->addWidget(kindPicker_);
    layout->addWidget(message_);
    layout->addWidget(
        AppInterface::label(L("Erreur concernée — tu peux modifier ou effacer ce texte"), 12, FontWeight::medium));
    layout->addWidget(errorMessage_);
    layout->addWidget(email_);
    layout->addWidget(status_);
    layout->addWidget(AppInterface::stack({ AppInterface::spacer(), close, sendButton_ }, false, 10));
}

FeedbackWindowController::~FeedbackWindowController()
{
    if (!window_)
        return;
    SheetHost::endSheet(window_);
    // Later, because the owner releases the controller from the form's own close button.
    window_->deleteLater();
}

FeedbackDraft FeedbackWindowController::draft() const
{
    return { kinds[qBound(0, kindPicker_->currentIndex(), 2)], message_->toPlainText().toStdString(),
        email_->text().toStdString(), errorMessage_->toPlainText().toStdString(), source_ };
}

void FeedbackWindowController::present(QWidget* window)
{
    if (SheetHost::beginSheet(window, window_))
        message_->setFocus();
}

void FeedbackWindowController::closeForm()
{
    FeedbackDraft current = draft();
    SheetHost::endSheet(window_);
    bool keep = !isBlank(message_->toPlainText()) || !isBlank(email_->text());
    if (onClose)
        onClose(keep ? std::optional<FeedbackDraft>(current) : std::nullopt);
}

} // namespace pellamor
