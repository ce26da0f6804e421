#include "assistant/Localization.h"

#include "platform/Bundle.h"
#include "platform/FileContents.h"
#include "platform/PropertyList.h"

#include <QString>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cctype>

namespace pellamor {

namespace {

const char* const languageKey = "appLanguage";
constexpr std::size_t maxCatalogBytes = 16 * 1024 * 1024;

// The text's characters (grapheme clusters), each as UTF-8.
std::vector<std::string> characters(std::string_view text)
{
    QString string = QString::fromUtf8(text.data(), qsizetype(text.size()));
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, string);
    std::vector<std::string> result;
    qsizetype start = 0;
    while (finder.toNextBoundary() != -1) {
        result.push_back(string.mid(start, finder.position() - start).toStdString());
        start = finder.position();
    }
    return result;
}

struct FormatScan {
    bool valid = true;
    int placeholders = 0;
};

FormatScan scanFormat(std::string_view text)
{
    FormatScan scan;
    if (text.find('%') == std::string_view::npos)
        return scan;
    auto chars = characters(text);
    for (std::size_t i = 0; i < chars.size(); ++i) {
        if (chars[i] != "%")
            continue;
        if (i + 1 == chars.size()) {
            scan.valid = false;
            break;
        }
        const auto& next = chars[++i];
        if (next == "@")
            ++scan.placeholders;
        else if (next != "%")
            scan.valid = false;
    }
    return scan;
}

bool fits(std::string_view text, std::size_t argumentCount)
{
    auto scan = scanFormat(text);
    return scan.valid && std::size_t(scan.placeholders) == argumentCount;
}

// Replaces each "%@" by the next argument and each "%%" by "%"; the text has passed `fits`.
std::string format(std::string_view text, const std::vector<std::string>& arguments)
{
    if (text.find('%') == std::string_view::npos)
        return std::string(text);
    auto chars = characters(text);
    std::string result;
    std::size_t next = 0;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        if (chars[i] != "%" || i + 1 == chars.size()) {
            result += chars[i];
            continue;
        }
        result += chars[++i] == "@" ? arguments[next++] : "%";
    }
    return result;
}

// The candidate if it fits the arguments, else the French key if it does, else the key unformatted.
std::string formatted(std::string_view candidate, std::string_view key, const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return std::string(candidate);
    if (fits(candidate, arguments.size()))
        return format(candidate, arguments);
    if (fits(key, arguments.size()))
        return format(key, arguments);
    return std::string(key);
}

std::optional<AppLocalization::Catalog> loadCatalog(const std::filesystem::path& file)
{
    auto read = readFileContents(file, maxCatalogBytes);
    if (read.status != FileRead::Status::read)
        return std::nullopt;
    auto value = parsePropertyList(read.contents);
    if (!value || !value->asDictionary())
        return std::nullopt;
    AppLocalization::Catalog catalog;
    for (auto& [key, entry] : *value->asDictionary()) {
        if (!entry.asString())
            return std::nullopt;
        catalog.emplace(key, *entry.asString());
    }
    return catalog;
}

} // namespace

std::string rawValue(AppLanguage language)
{
    switch (language) {
    case AppLanguage::english:
        return "en";
    case AppLanguage::french:
        return "fr";
    case AppLanguage::system:
        break;
    }
    return "system";
}

std::optional<AppLanguage> appLanguageFromRawValue(std::string_view raw)
{
    for (auto language : appLanguageAllCases)
        if (rawValue(language) == raw)
            return language;
    return std::nullopt;
}

DefaultsLanguagePreferenceStore::DefaultsLanguagePreferenceStore(UserDefaults& defaults)
    : defaults_(defaults)
{
}

DefaultsLanguagePreferenceStore::DefaultsLanguagePreferenceStore()
    : DefaultsLanguagePreferenceStore(platform().standardDefaults())
{
}

std::optional<std::string> DefaultsLanguagePreferenceStore::language() const
{
    return defaults_.string(languageKey).optional();
}

void DefaultsLanguagePreferenceStore::setLanguage(std::optional<std::string> language)
{
    if (language)
        defaults_.set(languageKey, std::move(*language));
    else
        defaults_.remove(languageKey);
}

std::optional<std::filesystem::path> AppLocalizationSetup::defaultResourceURL()
{
    return Bundle::main().resourceURL();
}

std::function<std::vector<std::string>()> AppLocalizationSetup::defaultPreferredLanguages()
{
    return [] { return platform().preferredLanguages(); };
}

NotificationCenter* AppLocalizationSetup::defaultNotificationCenter()
{
    return &platform().defaultCenter();
}

AppLocalization::AppLocalization(AppLocalizationSetup setup)
    : store_(std::move(setup.store))
    , preferredLanguages_(std::move(setup.preferredLanguages))
    , notificationCenter_(setup.notificationCenter)
{
    if (!setup.resourceURL)
        return;
    for (const char* code : { "en", "fr" }) {
        std::filesystem::path folder = *setup.resourceURL / (std::string(code) + ".lproj");
        if (auto catalog = loadCatalog(folder / "Localizable.strings"))
            catalogs_.emplace(code, std::move(*catalog));
        if (auto singulars = loadCatalog(folder / "Singular.strings"))
            singulars_.emplace(code, std::move(*singulars));
    }
}

AppLocalization& AppLocalization::shared()
{
    return platform().shared<AppLocalization>([] { return std::make_unique<AppLocalization>(); });
}

AppLanguage AppLocalization::language() const
{
    auto stored = store_->language();
    if (!stored)
        return AppLanguage::system;
    return appLanguageFromRawValue(*stored).value_or(AppLanguage::system);
}

std::string AppLocalization::languageCode() const
{
    if (auto chosen = language(); chosen != AppLanguage::system)
        return rawValue(chosen);
    return resolve(preferredLanguages_());
}

void AppLocalization::setLanguage(AppLanguage language)
{
    if (language == this->language())
        return;
    store_->setLanguage(rawValue(language));
    notificationCenter_->post(appLanguageDidChange, this);
}

std::string AppLocalization::text(std::string_view key, const std::vector<std::string>& arguments) const
{
    auto translation = [&](std::string_view code) -> std::optional<std::string_view> {
        auto catalog = catalogs_.find(code);
        if (catalog == catalogs_.end())
            return std::nullopt;
        auto entry = catalog->second.find(key);
        if (entry == catalog->second.end())
            return std::nullopt;
        return std::string_view(entry->second);
    };
    auto candidate = translation(languageCode());
    if (!candidate)
        candidate = translation("en");
    return formatted(candidate.value_or(key), key, arguments);
}

std::string AppLocalization::countedText(
    std::string_view key, std::size_t count, const std::vector<std::string>& arguments) const
{
    auto singulars = singulars_.find(languageCode());
    if (count != 1 || singulars == singulars_.end())
        return text(key, arguments);
    auto entry = singulars->second.find(key);
    if (entry == singulars->second.end())
        return text(key, arguments);
    return formatted(entry->second, key, arguments);
}

std::string AppLocalization::resolve(const std::vector<std::string>& identifiers)
{
    for (const auto& identifier : identifiers) {
        std::string normalized = identifier;
        std::transform(normalized.begin(), normalized.end(), normalized.begin(),
            [](unsigned char c) { return c == '_' ? '-' : char(std::tolower(c)); });
        auto start = normalized.find_first_not_of('-');
        if (start == std::string::npos)
            continue;
        auto first = normalized.substr(start, normalized.find('-', start) - start);
        if (first == "en" || first == "fr")
            return first;
    }
    return "en";
}

bool AppLocalization::isValidFormat(std::string_view text)
{
    return scanFormat(text).valid;
}

int AppLocalization::placeholderCount(std::string_view text)
{
    return scanFormat(text).placeholders;
}

std::string unlocalizedText(std::string_view text, const std::vector<std::string>& arguments)
{
    return formatted(text, text, arguments);
}

} // namespace pellamor
