// The picture standing for an assistant: the symbol shown where the system would show the application's icon.
#pragma once

#include "desktops/ScreenPlacement.h"

#include <QPixmap>

namespace pellamor {

// Square, `side` points wide, in the accent colour of the appearance in use.
QPixmap assistantIcon(AssistantApp assistant, double side);

} // namespace pellamor
