#include "assistant/CodexStateReadFailure.h"

#include "assistant/Localization.h"
#include "assistant/Models.h"

#include <cerrno>
#include <filesystem>

namespace pellamor {

CodexStateReadFailure codexStateReadFailure(const std::exception& error)
{
    if (dynamic_cast<const JSONParseError*>(&error))
        return CodexStateReadFailure::notJSON;
    if (dynamic_cast<const ReaderError*>(&error))
        return CodexStateReadFailure::unsupportedFormat;
    const auto* fileError = dynamic_cast<const std::filesystem::filesystem_error*>(&error);
    if (!fileError)
        return CodexStateReadFailure::unreadable;
    const int code = fileError->code().value();
    if (code == ENOENT || code == ENOTDIR)
        return CodexStateReadFailure::missing;
    if (code == EFBIG)
        return CodexStateReadFailure::tooLarge;
    return CodexStateReadFailure::unreadable;
}

// clang-format off
std::string localizedDescription(CodexStateReadFailure failure)
{
    switch (failure) {
    case CodexStateReadFailure::missing:
        return L("Codex n’a pas encore enregistré son état local. Ouvre Codex une première fois, puis clique sur Actualiser.");
    case CodexStateReadFailure::unreadable:
        return L("L’état local de Codex existe mais ne peut pas être lu. Vérifie que c’est un fichier ordinaire accessible, puis clique sur Actualiser.");
    case CodexStateReadFailure::tooLarge:
        return L("L’état local de Codex est trop volumineux pour être lu.");
    case CodexStateReadFailure::notJSON:
        return L("L’état local de Codex n’est pas un document JSON valide. Clique sur Actualiser après sa prochaine sauvegarde par Codex.");
    case CodexStateReadFailure::unsupportedFormat:
        return L("Le format de l’état local de Codex n’est pas reconnu. Une mise à jour de Codex peut nécessiter une adaptation de cette app.");
    }
    return {};
}
// clang-format on

} // namespace pellamor
