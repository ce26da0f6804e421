#include "services/FeedbackWindowController.h"

#include "assistant/Localization.h"
#include "platform/Platform.h"
#include "services/ErrorMonitoring.h"
#include "ui/AppConstants.h"
#include "ui/AppearanceSurface.h"
#include "ui/PlainText.h"
#include "ui/SheetHost.h"
#include "ui/SystemFont.h"
#include "windows/DesktopWindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace pellamor {
namespace {

constexpr int formWidth = 590;

QPlainTextEdit* editor(const std::string& text, int height, const std::string& accessibleName)
{
    auto* made = new QPlainTextEdit(QString::fromStdString(text));
    made->setFixedHeight(height);
    made->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    made->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    made->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    made->setTabChangesFocus(true);
    made->document()->setDocumentMargin(7);
    made->setFont(systemFont(13));
    made->setAccessibleName(PlainText::text(accessibleName));
    return made;
}

QPushButton* button(const std::string& title, const char* identifier)
{
    auto* made = new QPushButton(PlainText::title(title));
    made->setObjectName(identifier);
    made->setAutoDefault(false);
    return made;
}

QString queryValue(const std::string& text)
{
    // Everything but the unreserved characters is escaped: a mail application would read "&", "=", "#", "%"
    // or "+" left as they are as the query's own syntax.
    return QString::fromLatin1(QUrl::toPercentEncoding(QString::fromStdString(text)));
}

} // namespace

FeedbackWindowController::FeedbackWindowController(FeedbackDraft draft, FeedbackService& service)
    : service_(service)
    , source_(draft.source)
    , window_(new SheetDialog)
{
    window_->setObjectName("feedback-form");
    window_->setWindowTitle(PlainText::text(L("Un problème ou une idée ?")));
    window_->setFixedWidth(formWidth);

    kindPicker_ = new QComboBox;
    kindPicker_->setObjectName("feedback-kind");
    kindPicker_->setAccessibleName(PlainText::text(L("Type de retour")));
    for (FeedbackKind kind : allFeedbackKinds)
        kindPicker_->addItem(PlainText::text(feedbackKindTitle(kind)));
    kindPicker_->setCurrentIndex(int(draft.kind));
    QObject::connect(kindPicker_, &QComboBox::currentIndexChanged, window_, [this] { kindChanged(); });
    kindPicker_->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);

    prompt_ = AppInterface::label({}, 13, FontWeight::semibold);
    prompt_->setObjectName("feedback-prompt");
    message_ = editor(draft.message, 130, L("Description de ton problème ou de ton idée"));
    message_->setObjectName("feedback-message");
    errorMessage_ = editor(draft.errorText, 74, L("Erreur concernée, modifiable avant envoi"));
    errorMessage_->setObjectName("feedback-error");
    errorGroup_ = AppInterface::stack(
        { AppInterface::label(L("Erreur concernée — tu peux modifier ou effacer ce texte"), 12, FontWeight::medium),
            errorMessage_ },
        true, 6);
    errorGroup_->setObjectName("feedback-error-group");
    email_ = new QLineEdit(QString::fromStdString(draft.email));
    email_->setObjectName("feedback-email");
    email_->setPlaceholderText(PlainText::text(L("Email facultatif, pour te répondre")));
    email_->setAccessibleName(PlainText::text(L("Email facultatif, pour te répondre")));
    const FeedbackMetadata& metadata = service_.metadata();
    Label* attached = AppInterface::label(
        L("Données jointes : app %@ (%@), macOS %@.", metadata.version, metadata.build, metadata.osVersion), 11,
        FontWeight::regular, true);
    attached->setObjectName("feedback-attached-data");
    Label* privacy = AppInterface::label(
        L("Ton message, l’erreur affichée et ton email si tu le renseignes seront envoyés à notre équipe via Sentry. Aucun contenu de conversation ni capture d’écran n’est ajouté automatiquement."),
        11, FontWeight::regular, true);
    status_ = AppInterface::label({}, 12, FontWeight::regular, true);
    status_->setObjectName("feedback-status");

    supportButton_ = button(L("Contacter le support"), "contact-support");
    QObject::connect(supportButton_, &QPushButton::clicked, window_, [this] { openSupport(); });
    closeButton_ = button(L("Fermer"), "close-feedback");
    QObject::connect(closeButton_, &QPushButton::clicked, window_, [this] { closeForm(); });
    // Escape means "Fermer" wherever the key lands in the sheet, active or not.
    window_->onCancel = [this] { closeForm(); };
    sendButton_ = button(L("Envoyer"), "send-feedback");
    QObject::connect(sendButton_, &QPushButton::clicked, window_, [this] { send(); });

    auto* layout = new QVBoxLayout(window_);
    layout->setContentsMargins(24, 24, 24, 20);
    layout->setSpacing(10);
    layout->addWidget(AppInterface::label(L("Un problème ou une idée ?"), 22, FontWeight::semibold));
    layout->addWidget(kindPicker_);
    for (QWidget* view : std::initializer_list<QWidget*> { prompt_, message_, errorGroup_, email_, attached, privacy,
             status_,
             AppInterface::stack({ supportButton_, AppInterface::spacer(), closeButton_, sendButton_ }, false, 10) })
        layout->addWidget(view);

    kindChanged();
    if (!service_.isConfigured()) {
        showStatus(FeedbackFailure { FeedbackFailure::Kind::notConfigured, {} }.errorDescription(),
            ColorRole::secondaryLabel);
        sendButton_->setEnabled(false);
    }
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
    return { allFeedbackKinds[std::size_t(qBound(0, kindPicker_->currentIndex(), 2))],
        message_->toPlainText().toStdString(), email_->text().toStdString(),
        errorMessage_->toPlainText().toStdString(), source_ };
}

void FeedbackWindowController::present(QWidget* window)
{
    if (window_ && SheetHost::beginSheet(window, window_))
        message_->setFocus();
}

void FeedbackWindowController::kindChanged()
{
    FeedbackKind kind = draft().kind;
    prompt_->setText(feedbackKindPrompt(kind));
    errorGroup_->setVisible(kind == FeedbackKind::bug && !errorMessage_->toPlainText().isEmpty());
    fitHeight();
}

void FeedbackWindowController::fitHeight()
{
    // The width is fixed; the height is what the form shows now, with no empty band under its buttons.
    QLayout* layout = window_->layout();
    window_->setFixedHeight(
        layout->hasHeightForWidth() ? layout->totalHeightForWidth(formWidth) : layout->totalSizeHint().height());
}

void FeedbackWindowController::setLocked(bool locked)
{
    kindPicker_->setEnabled(!locked);
    email_->setEnabled(!locked);
    message_->setReadOnly(locked);
    errorMessage_->setReadOnly(locked);
}

void FeedbackWindowController::showStatus(const std::string& text, ColorRole role)
{
    status_->setText(text);
    status_->setColorRole(role);
    fitHeight();
}

void FeedbackWindowController::send()
{
    if (sending_ || succeeded_)
        return;
    FeedbackDraft current = draft();
    if (std::optional<std::string> error = current.validationError())
        return showStatus(*error, ColorRole::red);
    sending_ = true;
    setLocked(true);
    for (QPushButton* control : { sendButton_, closeButton_, supportButton_ })
        control->setEnabled(false);
    showStatus(L("Envoi en cours…"), ColorRole::secondaryLabel);

    auto associate = [current]() -> std::optional<std::string> {
        if (current.errorText.empty())
            return std::nullopt;
        return ErrorMonitoring::associateReportedError(current.source);
    };
    std::weak_ptr<FeedbackWindowController*> weak = self_;
    service_.send(current, associate, [weak](const FeedbackResult& result) {
        if (auto self = weak.lock())
            (*self)->finishSending(result);
    });
}

void FeedbackWindowController::finishSending(const FeedbackResult& result)
{
    sending_ = false;
    closeButton_->setEnabled(true);
    supportButton_->setEnabled(true);
    if (auto* id = std::get_if<std::string>(&result)) {
        succeeded_ = true;
        sendButton_->hide();
        return showStatus(L("Merci ! Ton message a été envoyé. Référence : %@", id->substr(0, 8)), ColorRole::green);
    }
    setLocked(false);
    sendButton_->setEnabled(service_.isConfigured());
    showStatus(std::get<FeedbackFailure>(result).errorDescription(), ColorRole::red);
}

void FeedbackWindowController::closeForm()
{
    if (sending_ || !window_)
        return;
    FeedbackDraft current = draft();
    SheetHost::endSheet(window_);
    bool empty = trimmedText(current.message).empty() && current.email.empty();
    if (onClose)
        onClose(succeeded_ || empty ? std::nullopt : std::optional<FeedbackDraft>(current));
}

std::string FeedbackWindowController::supportURL(
    FeedbackKind kind, const std::string& message, const std::string& errorText)
{
    std::string body = message;
    if (kind == FeedbackKind::bug && !errorText.empty())
        body += "\n\n" + errorText;
    std::string subject = std::string(appName) + " — " + feedbackKindTitle(kind);
    return "mailto:" + std::string(supportAddress) + "?subject=" + queryValue(subject).toStdString()
        + "&body=" + queryValue(body).toStdString();
}

void FeedbackWindowController::openSupport()
{
    FeedbackDraft current = draft();
    platform().workspace().openURL(supportURL(current.kind, current.message, current.errorText));
}

} // namespace pellamor
