// Looks every French source text up in the bundle's catalogues and keeps the interface language choice.
#pragma once

#include "platform/NotificationCenter.h"
#include "platform/Platform.h"
#include "platform/UserDefaults.h"

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellamor {

enum class AppLanguage { system, english, french };

inline constexpr std::array<AppLanguage, 3> appLanguageAllCases { AppLanguage::system, AppLanguage::english,
    AppLanguage::french };
// "system", "en", "fr".
std::string rawValue(AppLanguage language);
// Exactly one of the three raw values, case-sensitive; none for anything else.
std::optional<AppLanguage> appLanguageFromRawValue(std::string_view rawValue);

// Posted on the default centre, with the localisation as object, when the language changes.
inline const std::string appLanguageDidChange = "PellamorLanguageDidChange";

// Where the chosen language's raw value is kept.
class LanguagePreferenceStore {
public:
    virtual ~LanguagePreferenceStore() = default;
    virtual std::optional<std::string> language() const = 0;
    virtual void setLanguage(std::optional<std::string> language) = 0;
};

// The choice under "appLanguage" in the user defaults.
class DefaultsLanguagePreferenceStore final : public LanguagePreferenceStore {
public:
    explicit DefaultsLanguagePreferenceStore(UserDefaults& defaults);
    // Over the standard user defaults.
    DefaultsLanguagePreferenceStore();

    std::optional<std::string> language() const override;
    void setLanguage(std::optional<std::string> language) override;

private:
    UserDefaults& defaults_;
};

// What a localisation is built from; every member defaults to the installed machine's.
struct AppLocalizationSetup {
    // The folder of the ".lproj" folders; none: no catalogue at all.
    std::optional<std::filesystem::path> resourceURL = defaultResourceURL();
    std::unique_ptr<LanguagePreferenceStore> store = std::make_unique<DefaultsLanguagePreferenceStore>();
    // Called anew at every lookup that follows the system.
    std::function<std::vector<std::string>()> preferredLanguages = defaultPreferredLanguages();
    NotificationCenter* notificationCenter = defaultNotificationCenter();

    static std::optional<std::filesystem::path> defaultResourceURL();
    static std::function<std::vector<std::string>()> defaultPreferredLanguages();
    static NotificationCenter* defaultNotificationCenter();
};

class AppLocalization final {
public:
    using Catalog = std::map<std::string, std::string, std::less<>>;

    // Loads the "en" and "fr" catalogues; a missing or malformed one is skipped.
    explicit AppLocalization(AppLocalizationSetup setup = {});
    AppLocalization(const AppLocalization&) = delete;
    AppLocalization& operator=(const AppLocalization&) = delete;

    // The installed machine's one instance, made on first use with every default.
    static AppLocalization& shared();

    AppLanguage language() const;
    // "en" or "fr".
    std::string languageCode() const;
    void setLanguage(AppLanguage language);

    // The text to show for a French source text and its arguments.
    std::string text(std::string_view key, const std::vector<std::string>& arguments = {}) const;
    // As `text`, for a text about `count` things: for exactly one, the language's "Singular.strings" gives its own
    // text where that language says one thing otherwise than many.
    std::string countedText(std::string_view key, std::size_t count, const std::vector<std::string>& arguments) const;

    // Language identifiers in preference order to "en" or "fr".
    static std::string resolve(const std::vector<std::string>& identifiers);
    // Every "%" is followed by "@" or "%", character by character (grapheme clusters).
    static bool isValidFormat(std::string_view text);
    // The number of "%@" in that same scan.
    static int placeholderCount(std::string_view text);

    const std::map<std::string, Catalog, std::less<>>& catalogs() const { return catalogs_; }

private:
    std::unique_ptr<LanguagePreferenceStore> store_;
    std::function<std::vector<std::string>()> preferredLanguages_;
    std::map<std::string, Catalog, std::less<>> catalogs_;
    std::map<std::string, Catalog, std::less<>> singulars_;
    NotificationCenter* notificationCenter_;
};

// The French text as is, formatted with its arguments; used only before any machine is installed.
std::string unlocalizedText(std::string_view text, const std::vector<std::string>& arguments);

// Every user-visible text: the French source text, always a literal, and its string arguments.
template <class... Arguments> std::string L(std::string_view text, const Arguments&... arguments)
{
    std::vector<std::string> values { std::string(arguments)... };
    if (!hasPlatform())
        return unlocalizedText(text, values);
    return AppLocalization::shared().text(text, values);
}

// As L, for a text about `count` things, which some languages say otherwise for exactly one.
template <class... Arguments>
std::string LCount(std::string_view text, std::size_t count, const Arguments&... arguments)
{
    std::vector<std::string> values { std::string(arguments)... };
    if (!hasPlatform())
        return unlocalizedText(text, values);
    return AppLocalization::shared().countedText(text, count, values);
}

} // namespace pellamor
