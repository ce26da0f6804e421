// System symbol names mapped to glyphs of the Font Awesome icon font; an unknown name gives an empty image.
#pragma once

#include "ui/ColorTable.h"

#include <QFont>
#include <QPixmap>
#include <QString>
#include <optional>
#include <string>

namespace pellamor::SymbolRegistry {

// The glyph standing in for that system symbol, none when the name is unknown or the font is missing.
std::optional<QString> glyph(const std::string& name);
QFont font(double points);
// The symbol drawn at that size in that colour; a null pixmap for an unknown name.
QPixmap image(const std::string& name, double points, const QColor& colour);

} // namespace pellamor::SymbolRegistry
