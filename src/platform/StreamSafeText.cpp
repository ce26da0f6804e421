#include "platform/StreamSafeText.h"

namespace pellamor {
namespace {

constexpr int maximumNonStarters = 30;
constexpr char16_t graphemeJoiner = u'\u034F';
// Long enough that Qt's fixed cost per call does not count, short enough that its in-place decomposition does not.
constexpr qsizetype pieceLength = 512;

struct CodePoint {
    char32_t value;
    qsizetype width;
};

CodePoint codePointAt(const QString& text, qsizetype index)
{
    if (text[index].isHighSurrogate() && index + 1 < text.size() && text[index + 1].isLowSurrogate())
        return { QChar::surrogateToUcs4(text[index], text[index + 1]), 2 };
    return { text[index].unicode(), 1 };
}

// The non-starters that open and close a character's compatibility decomposition, and whether there is
// nothing else in it. Nothing at all is only non-starters, none of them.
struct NonStarters {
    int leading = 0;
    int trailing = 0;
    bool only = false;
};

NonStarters followedBy(NonStarters first, NonStarters second)
{
    return { first.only ? first.leading + second.leading : first.leading,
        second.only ? first.trailing + second.trailing : second.trailing, first.only && second.only };
}

NonStarters nonStarters(char32_t character)
{
    if (QChar::decompositionTag(character) == QChar::NoDecomposition) {
        bool mark = QChar::combiningClass(character) != 0;
        return { mark, mark, mark };
    }
    QString mapping = QChar::decomposition(character);
    NonStarters counted { 0, 0, true };
    for (qsizetype index = 0; index < mapping.size();) {
        CodePoint part = codePointAt(mapping, index);
        counted = followedBy(counted, nonStarters(part.value));
        index += part.width;
    }
    return counted;
}

} // namespace

QString streamSafe(const QString& text)
{
    QString safe;
    qsizetype copied = 0;
    int run = 0;
    for (qsizetype index = 0; index < text.size();) {
        CodePoint point = codePointAt(text, index);
        NonStarters counted = nonStarters(point.value);
        if (run + counted.leading > maximumNonStarters) {
            safe.append(QStringView(text).sliced(copied, index - copied));
            safe.append(QChar(graphemeJoiner));
            copied = index;
            run = 0;
        }
        run = counted.only ? run + counted.leading : counted.trailing;
        index += point.width;
    }
    if (safe.isNull())
        return text;
    safe.append(QStringView(text).sliced(copied));
    return safe;
}

// In pieces that end before a character whose decomposition opens with a starter: no reordering reaches past it.
QString decomposedText(const QString& text, QString::NormalizationForm form)
{
    QString safe = streamSafe(text);
    QString decomposed;
    qsizetype start = 0;
    for (qsizetype index = 0; index < safe.size();) {
        CodePoint point = codePointAt(safe, index);
        if (index - start >= pieceLength && nonStarters(point.value).leading == 0) {
            decomposed += safe.sliced(start, index - start).normalized(form);
            start = index;
        }
        index += point.width;
    }
    if (start == 0)
        return safe.normalized(form);
    decomposed += safe.sliced(start).normalized(form);
    return decomposed;
}

} // namespace pellamor
