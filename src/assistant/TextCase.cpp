#include "assistant/TextCase.h"

#include <QString>

namespace pellamor {

bool appendLowercased(std::string_view text, std::string& into)
{
    const std::size_t start = into.size();
    into.resize(start + text.size());
    unsigned char high = 0;
    unsigned char changed = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const unsigned char upper = static_cast<unsigned char>(c - 'A') < 26 ? 32 : 0;
        into[start + i] = static_cast<char>(c | upper);
        high |= c;
        changed |= upper;
    }
    if (high < 0x80)
        return changed != 0;
    into.resize(start);
    into += QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toLower().toStdString();
    return true;
}

bool isLowercaseASCII(std::string_view text)
{
    unsigned char outside = 0;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        outside |= (byte & 0x80) | (static_cast<unsigned char>(byte - 'A') < 26 ? 1 : 0);
    }
    return outside == 0;
}

std::string lowercased(std::string_view text)
{
    std::string result;
    appendLowercased(text, result);
    return result;
}

} // namespace pellamor
