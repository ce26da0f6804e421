#pragma once

#include <QFont>
#include <QStringList>

namespace pellamor {

// The text as it is laid out: the space after "«" and before "»" cannot break, so a quote mark never ends or
// starts a line away from its word. A no-break space draws as wide as the space it replaces.
QString withQuotesBound(QString text);

// The text broken at words into lines of that width, at most `maximumLines` of them (0: no limit). The last line
// allowed carries the rest of the text and ends in an ellipsis when it does not fit.
QStringList wrappedLines(QString text, const QFont& font, double width, int maximumLines);

} // namespace pellamor
