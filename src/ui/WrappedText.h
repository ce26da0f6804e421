#pragma once

#include <QFont>
#include <QStringList>

namespace pellamor {

// The text broken at words into lines of that width, at most `maximumLines` of them (0: no limit). The last line
// allowed carries the rest of the text and ends in an ellipsis when it does not fit.
QStringList wrappedLines(const QString& text, const QFont& font, double width, int maximumLines);

} // namespace pellamor
