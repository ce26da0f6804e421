#include "services/FeedbackFailure.h"

#include "assistant/Localization.h"

namespace pellamor {

std::string FeedbackFailure::errorDescription() const
{
    switch (kind) {
    case Kind::invalid:
        return message;
    case Kind::notConfigured:
        return L("L’envoi n’est pas disponible dans cette version. Tu peux contacter le support.");
    case Kind::network:
        return L("Envoi non confirmé. Ton texte est conservé. Vérifie ta connexion puis réessaie.");
    case Kind::rejected:
        return L("Le serveur n’a pas accepté le message. Ton texte est conservé. Réessaie plus tard ou contacte le support.");
    case Kind::rateLimited:
        return L("Trop de demandes pour le moment. Ton texte est conservé. Réessaie dans quelques minutes.");
    case Kind::unencodable:
        return L("Le message n’a pas pu être préparé pour l’envoi. Ton texte est conservé. Contacte le support.");
    }
    return message;
}

} // namespace pellamor
