#include "windows/DesktopWindow.h"

#include "assistant/Localization.h"

#include <QString>
#include <cmath>

namespace pellamor {

bool isFiniteRect(const QRectF& rect)
{
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width())
        && std::isfinite(rect.height());
}

std::string DesktopWindow::resolvedTitle(const std::optional<std::string>& system,
    const std::optional<std::string>& accessibility, const std::optional<std::string>& capture,
    const std::optional<std::string>& document)
{
    for (const auto* candidate : { &system, &accessibility, &capture, &document }) {
        if (!*candidate)
            continue;
        std::string trimmed = trimmedText(**candidate);
        if (!trimmed.empty())
            return trimmed;
    }
    return L("Fenêtre sans titre");
}

} // namespace pellamor
