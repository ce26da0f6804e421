// The small layout icon of the overview's menus and window cards: a screen outline with the layout's share of
// it filled, drawn as lines so that it stays sharp at any scale.
#pragma once

#include "ui/ColorTable.h"
#include "windows/WindowArrangement.h"

#include <QIcon>
#include <QSize>

namespace pellamor::WindowArrangementIcon {

inline constexpr QSize size { 24, 20 };

// The icon tinted with `tint` (its mode's colour when disabled or highlighted), drawn afresh for every size and
// device-pixel ratio asked, in the colours of the appearance in use then.
QIcon icon(WindowArrangement arrangement, ColorRole tint = ColorRole::label);

} // namespace pellamor::WindowArrangementIcon
