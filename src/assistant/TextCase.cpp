#include "assistant/TextCase.h"

#include <QString>

namespace pellamor {

std::string lowercased(std::string_view text)
{
    std::string result(text);
    for (char& c : result) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toLower().toStdString();
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

} // namespace pellamor
