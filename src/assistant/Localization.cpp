#include "assistant/Localization.h"

namespace pellamor {

std::string localizedText(std::string_view text, const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return std::string(text);
    std::string result;
    std::size_t next = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size()) {
            char kind = text[++i];
            if (kind == '@' && next < arguments.size())
                result += arguments[next++];
            else if (kind == '%')
                result += '%';
            continue;
        }
        result += text[i];
    }
    return result;
}

} // namespace pellamor
