// The chosen assistant's icon as the views show it.
#pragma once

#include "desktops/ScreenPlacement.h"

#include <QColor>
#include <QPixmap>
#include <string>

namespace pellamor {

struct AssistantAppIcon {
    QPixmap image;
    std::string accessibilityDescription;
};

// The workspace has no application icons on this machine, so the assistant shows its symbol,
// "bubble.left.and.bubble.right.fill", described by the assistant's name, as when it is not installed.
AssistantAppIcon assistantAppIcon(AssistantApp assistant, double points, const QColor& tint);

} // namespace pellamor
