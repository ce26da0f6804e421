#include "assistant/Localization.h"

#include "support/TemporaryDirectory.h"
#include "support/TestMac.h"

#include <fstream>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

class CountingStore final : public LanguagePreferenceStore {
public:
    std::optional<std::string> language() const override { return value; }
    void setLanguage(std::optional<std::string> language) override
    {
        value = std::move(language);
        ++writes;
    }
    std::optional<std::string> value;
    int writes = 0;
};

class LocalizationTest : public ::testing::Test {
protected:
    void catalogue(const std::string& code, const std::string& contents)
    {
        std::filesystem::create_directories(resources.path() / (code + ".lproj"));
        std::ofstream(resources.path() / (code + ".lproj") / "Localizable.strings") << contents;
    }
    std::unique_ptr<AppLocalization> make(std::optional<std::string> stored = std::nullopt)
    {
        auto counting = std::make_unique<CountingStore>();
        counting->value = std::move(stored);
        store = counting.get();
        return std::make_unique<AppLocalization>(
            AppLocalizationSetup { resources.path(), std::move(counting), [this] { return preferred; }, &center });
    }

    test::TestMac mac;
    test::TemporaryDirectory resources;
    NotificationCenter center;
    std::vector<std::string> preferred { "fr-FR" };
    CountingStore* store = nullptr;
};

TEST_F(LocalizationTest, ResolvesTheFirstIdentifierThatNamesEnglishOrFrench)
{
    EXPECT_EQ(AppLocalization::resolve({ "de-DE", "fr-CA" }), "fr");
    EXPECT_EQ(AppLocalization::resolve({ "de" }), "en");
    EXPECT_EQ(AppLocalization::resolve({}), "en");
    EXPECT_EQ(AppLocalization::resolve({ "EN_GB", "fr" }), "en");
    EXPECT_EQ(AppLocalization::resolve({ "-fr" }), "fr");
    EXPECT_EQ(AppLocalization::resolve({ "--", "", "fra", "FR_be" }), "fr");
}

TEST_F(LocalizationTest, ScansFormatsByCharacter)
{
    EXPECT_TRUE(AppLocalization::isValidFormat(""));
    EXPECT_TRUE(AppLocalization::isValidFormat("100 %% et %@"));
    EXPECT_FALSE(AppLocalization::isValidFormat("fin %"));
    EXPECT_FALSE(AppLocalization::isValidFormat("%d"));
    EXPECT_EQ(AppLocalization::placeholderCount("%%@"), 0);
    EXPECT_EQ(AppLocalization::placeholderCount("%@%@"), 2);
    EXPECT_EQ(AppLocalization::placeholderCount("%d %@ %"), 1);
    // A combining accent joins the character before it: "%" + U+0301 is no percent sign, "@" + U+0301 no "@".
    EXPECT_TRUE(AppLocalization::isValidFormat("%\u0301@"));
    EXPECT_EQ(AppLocalization::placeholderCount("%\u0301@"), 0);
    EXPECT_FALSE(AppLocalization::isValidFormat("%@\u0301"));
}

TEST_F(LocalizationTest, LooksUpTheLanguageThenEnglishThenTheKey)
{
    catalogue("en", "\"Bonjour\" = \"Hello\"; \"Seulement anglais\" = \"English only\";");
    catalogue("fr", "\"Bonjour\" = \"Salut\";");
    auto localization = make();
    EXPECT_EQ(localization->text("Bonjour"), "Salut");
    EXPECT_EQ(localization->text("Seulement anglais"), "English only");
    EXPECT_EQ(localization->text("Inconnu"), "Inconnu");
    preferred = { "de", "en-US" };
    EXPECT_EQ(localization->text("Bonjour"), "Hello");
    store->value = "fr";
    EXPECT_EQ(localization->text("Bonjour"), "Salut");
    EXPECT_EQ(localization->text("Seulement anglais"), "English only");
    store->value = "en";
    preferred = { "fr" };
    EXPECT_EQ(localization->text("Bonjour"), "Hello");
}

TEST_F(LocalizationTest, ACountOfOneTakesTheSingularOfTheLanguagesThatHaveOne)
{
    catalogue("en", "\"%@ bureaux\" = \"%@ desktops\";");
    catalogue("fr", "\"%@ bureaux\" = \"%@ bureaux\";");
    std::ofstream(resources.path() / "en.lproj" / "Singular.strings") << "\"%@ bureaux\" = \"%@ desktop\";";
    auto localization = make("en");
    EXPECT_EQ(localization->countedText("%@ bureaux", 1, { "1" }), "1 desktop");
    EXPECT_EQ(localization->countedText("%@ bureaux", 0, { "0" }), "0 desktops");
    EXPECT_EQ(localization->countedText("%@ bureaux", 2, { "2" }), "2 desktops");
    store->value = "fr";
    EXPECT_EQ(localization->countedText("%@ bureaux", 1, { "1" }), "1 bureaux");
}

TEST_F(LocalizationTest, FormatsOnlyTextsWhosePlaceholdersMatchTheArguments)
{
    catalogue("en",
        "\"%@ / %@ bureaux supprimés\" = \"%@ desktops removed\";"
        "\"%@ %% fait\" = \"%@ %% done\";"
        "\"Brut %@\" = \"Raw %@ %@\";"
        "\"Cassé %d %@\" = \"Broken %@\";"
        "\"Sans argument %@ %%\" = \"No argument %@ %%\";");
    auto localization = make({ "en" });
    EXPECT_EQ(localization->text("%@ / %@ bureaux supprimés", { "2", "3" }), "2 / 3 bureaux supprimés");
    EXPECT_EQ(localization->text("%@ %% fait", { "50" }), "50 % done");
    EXPECT_EQ(localization->text("Brut %@", { "x" }), "Brut x");
    EXPECT_EQ(localization->text("Cassé %d %@", { "x" }), "Broken x");
    EXPECT_EQ(localization->text("Cassé %d %@", { "x", "y" }), "Cassé %d %@");
    EXPECT_EQ(localization->text("Sans argument %@ %%"), "No argument %@ %%");
    EXPECT_EQ(localization->text("Inconnu %@", { "%@ et %%" }), "Inconnu %@ et %%");
}

TEST_F(LocalizationTest, SkipsCataloguesThatAreMissingMalformedOrNotAllStrings)
{
    catalogue("en", "\"Bonjour\" = \"Hello\"");
    catalogue("fr", "<plist><dict><key>Bonjour</key><integer>1</integer></dict></plist>");
    auto localization = make({ "en" });
    EXPECT_TRUE(localization->catalogs().empty());
    EXPECT_EQ(localization->text("Bonjour"), "Bonjour");
    auto without
        = AppLocalization(AppLocalizationSetup { std::nullopt, std::make_unique<CountingStore>(), {}, &center });
    EXPECT_TRUE(without.catalogs().empty());
}

TEST_F(LocalizationTest, ChangesLanguageOnceAndAnnouncesIt)
{
    auto localization = make();
    int posted = 0;
    auto token = center.addObserver(appLanguageDidChange, localization.get(), [&](const Notification& note) {
        EXPECT_EQ(note.name, "PellamorLanguageDidChange");
        EXPECT_TRUE(note.userInfo.empty());
        ++posted;
    });
    localization->setLanguage(AppLanguage::english);
    localization->setLanguage(AppLanguage::english);
    EXPECT_EQ(posted, 1);
    EXPECT_EQ(store->writes, 1);
    localization->setLanguage(AppLanguage::system);
    EXPECT_EQ(store->value, "system");
    EXPECT_EQ(posted, 2);
    store->value = "de";
    EXPECT_EQ(localization->language(), AppLanguage::system);
    localization->setLanguage(AppLanguage::system);
    EXPECT_EQ(posted, 2);
}

TEST_F(LocalizationTest, RawValuesAreExactlyTheThreeCases)
{
    EXPECT_EQ(appLanguageFromRawValue("en"), AppLanguage::english);
    EXPECT_EQ(appLanguageFromRawValue("system"), AppLanguage::system);
    EXPECT_FALSE(appLanguageFromRawValue("EN"));
    EXPECT_FALSE(appLanguageFromRawValue(""));
    EXPECT_EQ(appLanguageAllCases[2], AppLanguage::french);
}

TEST(SharedLocalizationTest, FollowsTheInstalledMachineAndItsDefaults)
{
    {
        test::TestMac mac({ "fr-FR" });
        EXPECT_EQ(L("Fermer"), "Fermer");
        AppLocalization::shared().setLanguage(AppLanguage::english);
        EXPECT_EQ(*mac.mac().standardDefaults().string("appLanguage"), "en");
        EXPECT_EQ(L("Fermer"), "Close");
        mac.mac().standardDefaults().remove("appLanguage");
        EXPECT_EQ(L("Fermer"), "Fermer");
    }
    test::TestMac english({ "en-GB" });
    EXPECT_EQ(AppLocalization::shared().language(), AppLanguage::system);
    EXPECT_EQ(L("Fermer"), "Close");
    EXPECT_EQ(L("Inconnu %@ %@", "a", std::string("b")), "Inconnu a b");
}

} // namespace
} // namespace pellamor
