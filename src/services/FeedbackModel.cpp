#include "services/FeedbackModel.h"

#include "assistant/Localization.h"
#include "platform/Bundle.h"
#include "platform/Platform.h"
#include "platform/StreamSafeText.h"
#include "windows/DesktopWindow.h"

#include <QRegularExpression>
#include <QString>
#include <QTextBoundaryFinder>

namespace pellamor {
namespace {

constexpr std::size_t maximumMessageLength = 4000;
constexpr std::size_t maximumErrorLength = 2000;
constexpr std::size_t maximumEmailLength = 254;
// Characters can carry any number of combining marks, so a field is also bounded in bytes, far above what anyone
// types (4 000 characters of the longest emoji sequences) and still counted at once.
constexpr std::size_t maximumFieldBytes = 1024 * 1024;

std::string lengthMessage()
{
    return L("Raccourcis ton message : 4 000 caractères maximum et 2 000 pour l’erreur.");
}

bool isEmailAddress(const QString& address)
{
    static const QRegularExpression pattern(
        QStringLiteral("^[^\\s@]+@[^\\s@]+\\.[^\\s@]+$"), QRegularExpression::UseUnicodePropertiesOption);
    return pattern.match(address).hasMatch();
}

} // namespace

std::string feedbackKindRawValue(FeedbackKind kind)
{
    switch (kind) {
    case FeedbackKind::bug:
        return "bug";
    case FeedbackKind::improvement:
        return "improvement";
    case FeedbackKind::feature:
        return "feature";
    }
    return "bug";
}

std::optional<FeedbackKind> feedbackKindFromRawValue(const std::string& rawValue)
{
    for (FeedbackKind kind : allFeedbackKinds) {
        if (feedbackKindRawValue(kind) == rawValue)
            return kind;
    }
    return std::nullopt;
}

std::string feedbackKindTitle(FeedbackKind kind)
{
    switch (kind) {
    case FeedbackKind::bug:
        return L("Signaler un bug");
    case FeedbackKind::improvement:
        return L("Proposer une amélioration");
    case FeedbackKind::feature:
        return L("Demander une fonctionnalité");
    }
    return {};
}

std::string feedbackKindPrompt(FeedbackKind kind)
{
    switch (kind) {
    case FeedbackKind::bug:
        return L("Que voulais-tu faire ? Que s’est-il passé ?");
    case FeedbackKind::improvement:
        return L("Que voudrais-tu améliorer dans l’app ?");
    case FeedbackKind::feature:
        return L("Quelle fonctionnalité te manque et à quoi te servirait-elle ?");
    }
    return {};
}

std::size_t perceivedLength(const std::string& text)
{
    QString string = QString::fromStdString(text);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, string);
    std::size_t count = 0;
    while (finder.toNextBoundary() > 0)
        ++count;
    return count;
}

std::optional<std::string> FeedbackDraft::validationError() const
{
    std::string trimmedMessage = trimmedText(message);
    if (trimmedMessage.empty())
        return L("Décris ton problème ou ton idée avant d’envoyer.");
    if (trimmedMessage.size() > maximumFieldBytes || perceivedLength(trimmedMessage) > maximumMessageLength)
        return lengthMessage();
    if (kind == FeedbackKind::bug
        && (errorText.size() > maximumFieldBytes || perceivedLength(errorText) > maximumErrorLength))
        return lengthMessage();
    std::string address = trimmedText(email);
    if (address.empty())
        return std::nullopt;
    if (address.size() > maximumFieldBytes || perceivedLength(address) > maximumEmailLength
        || !isEmailAddress(QString::fromStdString(address)))
        return L("Vérifie ton adresse email, ou laisse ce champ vide.");
    return std::nullopt;
}

bool operator==(const FeedbackDraft& a, const FeedbackDraft& b)
{
    auto same = [](const std::string& x, const std::string& y) {
        return x == y
            || decomposedText(QString::fromStdString(x), QString::NormalizationForm_D)
            == decomposedText(QString::fromStdString(y), QString::NormalizationForm_D);
    };
    return a.kind == b.kind && same(a.message, b.message) && same(a.email, b.email)
        && same(a.errorText, b.errorText) && same(a.source, b.source);
}

FeedbackMetadata FeedbackMetadata::fromInfo(const PlistDictionary& info, std::string osVersion)
{
    return { lookupString(info, "CFBundleShortVersionString").valueOr("unknown"),
        lookupString(info, "CFBundleVersion").valueOr("unknown"), std::move(osVersion) };
}

FeedbackMetadata FeedbackMetadata::current()
{
    OperatingSystemVersion system = platform().operatingSystemVersion();
    return fromInfo(Bundle::main().infoDictionary(),
        std::to_string(system.major) + "." + std::to_string(system.minor) + "." + std::to_string(system.patch));
}

} // namespace pellamor
