// The system font at a size in points, one point being one pixel as on the Mac, and text measured in it.
#pragma once

#include "ui/Label.h"

#include <QFont>
#include <QString>
#include <string>

namespace pellamor {

QFont systemFont(double size, FontWeight weight = FontWeight::regular);
// The ceiling of the text's width drawn in that font, as a label lays it out.
double textWidth(const std::string& text, const QFont& font);

} // namespace pellamor
