#include "desktops/CleanText.h"

#include "platform/Unicode.h"

#include <QList>
#include <QString>

namespace pellamor {

namespace {

QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The whitespace-and-newline set: Unicode spaces and separators, tab to carriage return, next line.
bool isWhitespaceOrNewline(char32_t character)
{
    return QChar::isSpace(character);
}

} // namespace

bool isCleanString(std::string_view text)
{
    if (text.empty() || !isValidUTF8(text))
        return false;
    QString string = toQString(text);
    auto codePoints = string.toUcs4();
    if (isWhitespaceOrNewline(codePoints.front()) || isWhitespaceOrNewline(codePoints.back()))
        return false;
    for (char32_t character : codePoints) {
        QChar::Category category = QChar::category(character);
        if (category == QChar::Other_Control || category == QChar::Other_Format)
            return false;
    }
    return true;
}

std::string trimmedText(const std::string& text)
{
    return QString::fromStdString(text).trimmed().toStdString();
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    if (a == b)
        return true;
    return toQString(a).compare(toQString(b), Qt::CaseInsensitive) == 0;
}

} // namespace pellamor
