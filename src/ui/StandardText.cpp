#include "ui/StandardText.h"

#include "platform/StreamSafeText.h"

#include <QCollator>
#include <QLocale>
#include <QString>

namespace pellamor {
namespace {

const QCollator& collator()
{
    thread_local const QCollator made = [] {
        QLocale locale;
        // The C locale's collator compares code points; the English order is the Finder's for such users.
        if (locale.language() == QLocale::C)
            locale = QLocale(QLocale::English, QLocale::UnitedStates);
        QCollator standard(locale);
        standard.setCaseSensitivity(Qt::CaseInsensitive);
        standard.setNumericMode(true);
        return standard;
    }();
    return made;
}

QString folded(const std::string& text)
{
    QString decomposed = decomposedText(QString::fromStdString(text), QString::NormalizationForm_KD);
    QString kept;
    kept.reserve(decomposed.size());
    for (QChar character : decomposed) {
        if (character.category() != QChar::Mark_NonSpacing)
            kept.append(character);
    }
    return kept.toCaseFolded();
}

} // namespace

int localizedStandardCompare(const std::string& a, const std::string& b)
{
    return collator().compare(streamSafe(QString::fromStdString(a)), streamSafe(QString::fromStdString(b)));
}

bool localizedStandardContains(const std::string& text, const std::string& query)
{
    return folded(text).contains(folded(query));
}

} // namespace pellamor
