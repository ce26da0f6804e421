#include "desktops/AssistantWindowPlacer.h"

#include "assistant/Localization.h"
#include "platform/Platform.h"

#include <cmath>

namespace pellamor {

namespace {

const double messagingTimeout = 0.5;
const double confirmationTolerance = 5.0;

Error failure(std::string text)
{
    return Error { AssistantWindowPlacer::errorDomain, 1, std::move(text) };
}

bool isTrue(AXElement& element, const char* attribute)
{
    auto value = element.copyAttributeValue(attribute);
    return value && value->as<bool>() && *value->as<bool>();
}

AXElementRef mainWindow(AXElement& application)
{
    if (auto main = application.copyAttributeValue("AXMainWindow");
        main && main->as<AXElementRef>() && *main->as<AXElementRef>())
        return *main->as<AXElementRef>();
    auto windows = application.copyAttributeValue("AXWindows");
    if (!windows || !windows->as<AXValue::Array>())
        return nullptr;
    for (const AXValue& value : *windows->as<AXValue::Array>()) {
        const AXElementRef* window = value.as<AXElementRef>();
        if (!window || !*window)
            continue;
        auto subrole = (*window)->copyAttributeValue("AXSubrole");
        if (subrole && subrole->as<std::string>() && *subrole->as<std::string>() == "AXStandardWindow")
            return *window;
    }
    return nullptr;
}

} // namespace

std::variant<std::string, Error> AssistantWindowPlacer::place(AssistantApp assistant, const std::string& screenID)
{
    if (assistant != AssistantApp::codex)
        return failure(L("Claude sera disponible dans une prochaine version."));
    if (!platform().accessibility().isProcessTrusted())
        return failure(L("Autorise Pellamor dans Réglages système → Confidentialité et sécurité → Accessibilité."));
    std::vector<ConnectedMonitor> monitors = ConnectedMonitor::read();
    auto target = std::find_if(monitors.begin(), monitors.end(), [&](auto& monitor) { return monitor.id == screenID; });
    auto main = std::find_if(monitors.begin(), monitors.end(), [](auto& monitor) { return monitor.isMain; });
    if (target == monitors.end() || main == monitors.end())
        return failure(L("L’écran choisi est déconnecté. Rebranche-le ou choisis un autre écran."));

    std::string name = assistant.name();
    std::optional<RunningApplication> running;
    for (const RunningApplication& application : platform().workspace().runningApplications(assistant.bundleID()))
        if (!application.terminated && !running)
            running = application;
    if (!running)
        return failure(L("Ouvre %@ et sa fenêtre, puis clique sur Placer.", name));
    AXElementRef application = platform().accessibility().createApplication(running->pid);
    application->setMessagingTimeout(messagingTimeout);

    AXElementRef window = mainWindow(*application);
    if (!window)
        return failure(L("Aucune fenêtre principale de %@ disponible. Ouvre une fenêtre puis réessaie.", name));
    if (isTrue(*window, "AXFullScreen"))
        return failure(L("Quitte le plein écran de %@, puis clique sur Placer.", name));
    if (isTrue(*window, "AXMinimized"))
        return failure(L("Rétablis la fenêtre réduite de %@, puis clique sur Placer.", name));
    auto sizeValue = window->copyAttributeValue("AXSize");
    if (!sizeValue || !sizeValue->as<QSizeF>())
        return failure(L("macOS ne permet pas de lire la taille de la fenêtre de %@.", name));
    QSizeF size = *sizeValue->as<QSizeF>();
    if (!(size.width() > 0) || !(size.height() > 0) || !std::isfinite(size.width()) || !std::isfinite(size.height()))
        return failure(L("La taille de la fenêtre de %@ est indisponible.", name));
    auto settable = window->isAttributeSettable("AXPosition");
    if (!settable || !settable.value())
        return failure(L("macOS ne permet pas de déplacer cette fenêtre de %@.", name));

    QRectF area
        = WindowPlacementGeometry::accessibilityRect(target->visibleFrame, main->frame.y() + main->frame.height());
    QRectF placed = WindowPlacementGeometry::centered(size, area);
    if (placed.size() != size && window->setAttributeValue("AXSize", placed.size()) != AXError::success)
        return failure(L("La fenêtre de %@ est trop grande pour cet écran et ne peut pas être réduite.", name));
    if (window->setAttributeValue("AXPosition", placed.topLeft()) != AXError::success)
        return failure(L("macOS a refusé le déplacement de %@.", name));
    auto position = window->copyAttributeValue("AXPosition");
    const QPointF* reached = position ? position->as<QPointF>() : nullptr;
    if (reached && std::abs(reached->x() - placed.x()) <= confirmationTolerance
        && std::abs(reached->y() - placed.y()) <= confirmationTolerance)
        return L("%@ placé sur %@.", name, target->name);
    return failure(L("macOS n’a pas confirmé le placement de %@. Réessaie avec sa fenêtre visible.", name));
}

} // namespace pellamor
