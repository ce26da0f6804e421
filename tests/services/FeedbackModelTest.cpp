#include "services/FeedbackModel.h"
#include "services/SentryConfiguration.h"

#include "support/TemporaryDirectory.h"
#include "support/TestMac.h"

#include <fstream>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

const std::string lengthMessage = "Raccourcis ton message : 4 000 caractères maximum et 2 000 pour l’erreur.";
const std::string emailMessage = "Vérifie ton adresse email, ou laisse ce champ vide.";
const std::string key = "0123456789abcdef0123456789ABCDEF";

std::string repeated(const std::string& unit, std::size_t times)
{
    std::string text;
    for (std::size_t i = 0; i < times; ++i)
        text += unit;
    return text;
}

std::optional<std::string> errorOf(FeedbackDraft draft)
{
    return draft.validationError();
}

class FeedbackModelTest : public ::testing::Test {
protected:
    test::TestMac mac;
};

TEST_F(FeedbackModelTest, TheMessageIsRequiredAndCountedInPerceivedCharacters)
{
    EXPECT_EQ(errorOf({ FeedbackKind::bug, " \n\t\u2003", "a@b.fr", "Erreur" }),
        "Décris ton problème ou ton idée avant d’envoyer.");
    EXPECT_EQ(errorOf({ FeedbackKind::bug, "  " + repeated("a", 4000) + "\n" }), std::nullopt);
    EXPECT_EQ(errorOf({ FeedbackKind::bug, repeated("a", 4001) }), lengthMessage);
    // Four bytes each, one character each; a family emoji of several code points is one character.
    EXPECT_EQ(errorOf({ FeedbackKind::bug, repeated("🙂", 4000) }), std::nullopt);
    EXPECT_EQ(errorOf({ FeedbackKind::bug, repeated("👨‍👩‍👧", 3999) + "é" }), std::nullopt);
    // 25 bytes each: 100 000 bytes, still 4 000 characters.
    EXPECT_EQ(errorOf({ FeedbackKind::bug, repeated("👨‍👩‍👧‍👦", 4000) }), std::nullopt);
    EXPECT_EQ(errorOf({ FeedbackKind::bug, repeated("e\u0301", 4001) }), lengthMessage);
    // A few characters carrying thousands of combining marks are refused by their size in bytes.
    std::string heavy = repeated("e" + repeated("\u0301", 30000), 18);
    EXPECT_EQ(errorOf({ FeedbackKind::bug, heavy }), lengthMessage);
    std::string fullest = "a" + repeated("\u0301", 524287) + "b";
    EXPECT_EQ(errorOf({ FeedbackKind::bug, " " + fullest + "\n" }), std::nullopt);
    EXPECT_EQ(errorOf({ FeedbackKind::bug, fullest + "c" }), lengthMessage);
    EXPECT_EQ(errorOf({ FeedbackKind::bug, "ok", "", heavy }), lengthMessage);
    EXPECT_EQ(errorOf({ FeedbackKind::improvement, "ok", "", heavy }), std::nullopt);
    EXPECT_EQ(errorOf({ FeedbackKind::bug, "ok", "a" + repeated("\u0301", 600000) + "@exemple.fr" }),
        "Vérifie ton adresse email, ou laisse ce champ vide.");
}

TEST_F(FeedbackModelTest, TheErrorTextCountsOnlyForABugAndUntrimmed)
{
    EXPECT_EQ(errorOf({ FeedbackKind::bug, "ok", "", repeated("x", 2000) }), std::nullopt);
    EXPECT_EQ(errorOf({ FeedbackKind::bug, "ok", "", repeated("x", 1999) + " " + " " }), lengthMessage);
    EXPECT_EQ(errorOf({ FeedbackKind::improvement, "ok", "", repeated("x", 10000) }), std::nullopt);
    EXPECT_EQ(errorOf({ FeedbackKind::feature, "ok", "", repeated("x", 10000) }), std::nullopt);
}

TEST_F(FeedbackModelTest, TheAddressIsOptionalButChecked)
{
    EXPECT_EQ(errorOf({ FeedbackKind::bug, "ok", "   " }), std::nullopt);
    EXPECT_EQ(errorOf({ FeedbackKind::bug, "ok", " moi@exemple.fr\n" }), std::nullopt);
    for (const char* address : { "moi@exemple", "moi @exemple.fr", "moi@ex@emple.fr", "@exemple.fr", "moi@.fr",
             "moi@exemple.", "moi\u00a0x@exemple.fr" })
        EXPECT_EQ(errorOf({ FeedbackKind::bug, "ok", address }), emailMessage) << address;
    std::string domain = "@exemple.fr";
    EXPECT_EQ(errorOf({ FeedbackKind::bug, "ok", repeated("a", 254 - domain.size()) + domain }), std::nullopt);
    EXPECT_EQ(errorOf({ FeedbackKind::bug, "ok", repeated("a", 255 - domain.size()) + domain }), emailMessage);
    // Rules apply in order: the length is reported before the address.
    EXPECT_EQ(errorOf({ FeedbackKind::bug, repeated("a", 4001), "pas une adresse" }), lengthMessage);
}

TEST_F(FeedbackModelTest, DraftsCompareTextsAsTheUserSeesThem)
{
    FeedbackDraft composed { FeedbackKind::bug, "\u00e9cran" };
    FeedbackDraft decomposed { FeedbackKind::bug, "e\u0301cran" };
    EXPECT_EQ(composed, decomposed);
    decomposed.source = "project_displays";
    EXPECT_FALSE(composed == decomposed);

    // Two messages near the size limit, made of long runs of marks.
    std::string marks = repeated("\u0301\u0316", 262000);
    FeedbackDraft longComposed { FeedbackKind::bug, "Page \u00e9" + marks };
    FeedbackDraft longDecomposed { FeedbackKind::bug, "Page e\u0301" + marks };
    EXPECT_EQ(longComposed, longDecomposed);
    longDecomposed.message += "\u0300";
    EXPECT_FALSE(longComposed == longDecomposed);
    EXPECT_EQ(feedbackKindFromRawValue("improvement"), FeedbackKind::improvement);
    EXPECT_EQ(feedbackKindFromRawValue("Bug"), std::nullopt);
}

TEST_F(FeedbackModelTest, MetadataTellsWhatTheBundleLacks)
{
    PlistDictionary info { { "CFBundleShortVersionString", PlistValue("1.4") } };
    FeedbackMetadata metadata = FeedbackMetadata::fromInfo(info, "14.5.0");
    EXPECT_EQ(metadata.build, "unknown");
    EXPECT_EQ(metadata.release(), "pellamor@1.4+unknown");
    info["CFBundleVersion"] = PlistValue(std::int64_t(12));
    EXPECT_EQ(FeedbackMetadata::fromInfo(info, "").build, "unknown");
    mac.world().systemVersion = { 15, 1, 0 };
    EXPECT_EQ(FeedbackMetadata::current().osVersion, "15.1.0");
}

TEST_F(FeedbackModelTest, OnlyAnHttpsDsnOfTheServiceIsAccepted)
{
    auto configuration = SentryConfiguration::make("https://" + key + "@o17.ingest.de.sentry.io/42", "production");
    ASSERT_TRUE(configuration);
    EXPECT_EQ(configuration->endpoint, "https://o17.ingest.de.sentry.io/api/42/envelope/");
    EXPECT_EQ(configuration->publicKey, key);
    EXPECT_TRUE(SentryConfiguration::make("https://" + key + "@sentry.io/0", "test"));
    EXPECT_TRUE(SentryConfiguration::make("https://" + key + "@o-1.ingest.us.sentry.io/7", "development"));
    for (const std::string& dsn : std::vector<std::string> {
             "http://" + key + "@o1.ingest.sentry.io/7",
             "https://" + key + "@o1.ingest.sentry.io:443/7",
             "https://" + key + ":secret@o1.ingest.sentry.io/7",
             "https://" + key + ":@o1.ingest.sentry.io/7",
             "https://" + key + "@o1.ingest.sentry.io/7?x=1",
             "https://" + key + "@o1.ingest.sentry.io/7#x",
             "https://" + key.substr(1) + "@o1.ingest.sentry.io/7",
             "https://" + key.substr(1) + "g@o1.ingest.sentry.io/7",
             std::string("https://o1.ingest.sentry.io/7"),
             "https://" + key + "@o1.ingest.sentry.io/7/",
             "https://" + key + "@o1.ingest.sentry.io/7a",
             "https://" + key + "@o1.ingest.sentry.io/",
             "https://" + key + "@o1.ingest.Sentry.io/7",
             "https://" + key + "@SENTRY.IO/7",
             "https://" + key + "@evilsentry.io/7",
             "https://" + key + "@o1.sentry.io/7",
             "https://" + key + "@sentry.io.evil.com/7",
             "https://" + key + "@.ingest.sentry.io/7",
             "https://" + key + "@o1.ingest.sentry.io%2Fx/7",
             "https://" + key + "@evil.example%2F.ingest.sentry.io/7",
             "https://" + key + "@evil!.ingest.sentry.io/7",
             "https://" + key + "@evil_x.ingest.de.sentry.io/7",
             "https:// " + key + "@o1.ingest.sentry.io/7",
             "//" + key + "@o1.ingest.sentry.io/7",
             std::string() })
        EXPECT_FALSE(SentryConfiguration::make(dsn, "production")) << dsn;
    EXPECT_FALSE(SentryConfiguration::make("https://" + key + "@sentry.io/1", "Production"));
    EXPECT_FALSE(SentryConfiguration::make("https://" + key + "@sentry.io/1", "staging"));
}

TEST_F(FeedbackModelTest, TheBundleResourceNeedsBothStrings)
{
    test::TemporaryDirectory folder;
    auto write = [&](const std::string& dictionary, std::size_t size = 0) {
        const std::string text
            = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>" + dictionary + "</dict></plist>";
        std::ofstream(folder.path() / "SentryConfiguration.plist")
            << text << std::string(std::max(size, text.size()) - text.size(), '\n');
        return SentryConfiguration::load(Bundle(folder.path()));
    };
    std::string dsn = "<key>DSN</key><string>https://" + key + "@sentry.io/3</string>";
    EXPECT_FALSE(SentryConfiguration::load(Bundle(folder.path())));
    auto loaded = write(dsn + "<key>Environment</key><string>test</string>");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->environment, "test");
    EXPECT_TRUE(write(dsn + "<key>Environment</key><string>test</string>", 64 * 1024)) << "64 KiB are read";
    EXPECT_FALSE(write(dsn + "<key>Environment</key><string>test</string>", 64 * 1024 + 1));
    EXPECT_FALSE(write(dsn));
    EXPECT_FALSE(write("<key>DSN</key><integer>3</integer><key>Environment</key><string>test</string>"));
}

} // namespace
} // namespace pellamor
