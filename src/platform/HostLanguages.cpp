#include "platform/HostLanguages.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace pellamor {

namespace {

void append(std::vector<std::string>& languages, std::string_view locale)
{
    locale = locale.substr(0, locale.find_first_of(".@"));
    if (locale.empty() || locale == "C" || locale == "POSIX")
        return;
    std::string identifier(locale);
    std::replace(identifier.begin(), identifier.end(), '_', '-');
    if (std::find(languages.begin(), languages.end(), identifier) == languages.end())
        languages.push_back(std::move(identifier));
}

} // namespace

std::vector<std::string> preferredLanguagesFrom(const char* languageVariable, const char* langVariable)
{
    std::vector<std::string> languages;
    std::string_view list = languageVariable ? languageVariable : "";
    while (!list.empty()) {
        auto end = list.find(':');
        append(languages, list.substr(0, end));
        list = end == std::string_view::npos ? std::string_view() : list.substr(end + 1);
    }
    if (langVariable)
        append(languages, langVariable);
    return languages;
}

std::vector<std::string> hostPreferredLanguages()
{
    return preferredLanguagesFrom(std::getenv("LANGUAGE"), std::getenv("LANG"));
}

} // namespace pellamor
