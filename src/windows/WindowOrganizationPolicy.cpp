#include "windows/WindowOrganizationPolicy.h"

#include "assistant/Localization.h"
#include "desktops/CleanText.h"

#include <algorithm>

namespace pellamor {

std::optional<std::string> WindowOrganizationPolicy::restriction(const DesktopWindow& window, std::uint64_t source,
    std::uint64_t destination, const std::vector<NativeDesktopState>& desktops,
    const std::optional<std::string>& reservedDisplay, const std::string& assistantBundleID, bool separateSpaces,
    bool returningToLibrary)
{
    if (!separateSpaces)
        return L("Active « Les écrans disposent d’espaces distincts » dans les réglages macOS.");
    auto onReserved
        = [&](const NativeDesktopState& desktop) { return equalIgnoringCase(desktop.display, *reservedDisplay); };
    if (!reservedDisplay || std::none_of(desktops.begin(), desktops.end(), onReserved))
        return L("L’écran réservé à l’assistant est déconnecté ou indisponible. Vérifie Ton assistant.");
    if (window.bundleID == assistantBundleID)
        return L("La fenêtre de l’assistant est protégée. Utilise Ton assistant pour la placer.");
    auto desktopOf = [&](std::uint64_t space) {
        return std::find_if(desktops.begin(), desktops.end(),
            [space](const NativeDesktopState& desktop) { return desktop.spaceID == space; });
    };
    auto target = desktopOf(destination);
    if (window.spaces != std::vector<std::uint64_t> { source } || desktopOf(source) == desktops.end()
        || target == desktops.end())
        return L("Cette fenêtre est sur plusieurs bureaux, en plein écran, ou a changé de bureau. Actualise la vue.");
    if (returningToLibrary)
        return std::nullopt;
    if (onReserved(*target))
        return L("Les bureaux de l’écran réservé à l’assistant sont protégés.");
    return std::nullopt;
}

} // namespace pellamor
