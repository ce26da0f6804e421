// Looks every French source text up in the bundle's catalogues and keeps the language choice.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pellamor {

std::string localizedText(std::string_view text, const std::vector<std::string>& arguments);

// Every user-visible text: the French source text, always a literal, and its string arguments.
template <class... Arguments>
std::string L(std::string_view text, const Arguments&... arguments)
{
    return localizedText(text, std::vector<std::string>{std::string(arguments)...});
}

} // namespace pellamor
