#include "ui/AssistantAppIcon.h"

#include "ui/SymbolRegistry.h"

namespace pellamor {

AssistantAppIcon assistantAppIcon(AssistantApp assistant, double points, const QColor& tint)
{
    return { SymbolRegistry::image("bubble.left.and.bubble.right.fill", points, tint), assistant.name() };
}

} // namespace pellamor
