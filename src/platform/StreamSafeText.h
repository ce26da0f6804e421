// Text of outside origin normalised in time linear in its length, whatever it holds.
#pragma once

#include <QString>

namespace pellamor {

// `text` with U+034F COMBINING GRAPHEME JOINER inserted wherever a run of non-starters would pass 30, as
// Unicode's Stream-Safe Text Format has it: canonical reordering, in Qt and in ICU alike, is quadratic in the
// length of one run. Text without such a run is returned as it is.
QString streamSafe(const QString& text);

// `streamSafe(text)` in normalisation form D or KD: the same as Qt's own, which is quadratic in the length of a
// text with many decomposable characters.
QString decomposedText(const QString& text, QString::NormalizationForm form);

} // namespace pellamor
