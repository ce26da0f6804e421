// The small layout icon of the overview's menus: a screen outline with the layout's share of it filled.
#pragma once

#include "windows/WindowArrangement.h"

#include <QImage>
#include <QSize>

namespace pellamor::WindowArrangementIcon {

inline constexpr QSize size { 24, 20 };

// Black on transparent, to be tinted like a template image; `scale` pixels per point.
QImage image(WindowArrangement arrangement, double scale = 2);

} // namespace pellamor::WindowArrangementIcon
