// The preferred languages of this machine's user, from the locale environment.
#pragma once

#include <string>
#include <vector>

namespace pellamor {

// LANGUAGE's colon-separated list, then LANG, as language identifiers: "fr_FR.UTF-8" gives "fr-FR".
// "C" and "POSIX" name no language; duplicates are dropped.
std::vector<std::string> preferredLanguagesFrom(const char* languageVariable, const char* langVariable);

// The same, read from the process's environment.
std::vector<std::string> hostPreferredLanguages();

} // namespace pellamor
