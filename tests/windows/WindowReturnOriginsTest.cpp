#include "windows/WindowReturnDestination.h"

#include <gtest/gtest.h>
#include <limits>

namespace pellamor {
namespace {

const WindowReturnIdentity notes { 40, 301, "com.example.notes", 1700000000.5 };
const WindowReturnIdentity mail { 41, 302, "com.example.mail", 1700000100 };
const QRectF frame(10, 20, 640, 480);

class WindowReturnOriginsTest : public ::testing::Test {
protected:
    std::vector<NativeDesktopState> inventory { { 11, 11, "D1", "U11" }, { 12, 11, "D1", "U12" },
        { 21, 22, "D2", "U21" }, { 22, 22, "D2", "U22" } };
    WindowReturnOrigins origins;

    WindowReturnDestinationResult destination(const WindowReturnIdentity& identity,
        std::optional<std::string> assistantDisplay = "d2", std::set<std::uint64_t> projectSpaces = {},
        const std::string& assistant = "com.openai.codex")
    {
        return origins.destination(identity, inventory, assistantDisplay, assistant, projectSpaces);
    }
};

TEST_F(WindowReturnOriginsTest, TheFirstRecordedOriginStays)
{
    EXPECT_TRUE(origins.recordOriginal(notes, inventory[0], frame));
    EXPECT_TRUE(origins.recordOriginal(notes, inventory[1], QRectF(0, 0, 100, 100)));
    ASSERT_EQ(origins.entries().size(), 1u);
    EXPECT_EQ(origins.origin(notes)->desktop, ProjectDesktopAssociation(11, "D1", "U11"));
    EXPECT_EQ(origins.origin(notes)->frame, frame);
    EXPECT_EQ(origins.origin(mail), std::nullopt);
}

TEST_F(WindowReturnOriginsTest, InvalidOriginsAreRefusedAndLeaveTheSetAlone)
{
    NativeDesktopState withoutUUID { 11, 11, "D1", std::nullopt };
    EXPECT_FALSE(origins.recordOriginal(notes, withoutUUID, frame));
    EXPECT_FALSE(origins.recordOriginal(notes, inventory[0], QRectF(0, 0, 0, 100)));
    EXPECT_FALSE(
        origins.recordOriginal(notes, inventory[0], QRectF(0, std::numeric_limits<double>::infinity(), 10, 10)));
    EXPECT_FALSE(origins.recordOriginal(notes, { 11, 11, " D1", "U11" }, frame));
    EXPECT_FALSE(origins.recordOriginal(notes, { 0, 11, "D1", "U11" }, frame));
    for (double launched : { 0.0, -1.0, std::numeric_limits<double>::infinity(), std::nan("") }) {
        WindowReturnIdentity bad = notes;
        bad.processLaunchTime = launched;
        EXPECT_FALSE(origins.recordOriginal(bad, inventory[0], frame));
        EXPECT_EQ(origins.origin(bad), std::nullopt);
        EXPECT_FALSE(origins.remove(bad));
        EXPECT_EQ(destination(bad), WindowReturnDestinationResult(WindowReturnDestinationError::invalidIdentity));
    }
    for (auto bad : { WindowReturnIdentity { 0, 301, "a.b", 1 }, WindowReturnIdentity { 40, 0, "a.b", 1 },
             WindowReturnIdentity { 40, 301, "", 1 }, WindowReturnIdentity { 40, 301, "a.b\n", 1 },
             WindowReturnIdentity { 40, 301, "a\u0001b", 1 } })
        EXPECT_FALSE(origins.recordOriginal(bad, inventory[0], frame));
    EXPECT_TRUE(origins.entries().empty());
    // A window one point wide or high still has a frame to go back to.
    EXPECT_TRUE(origins.recordOriginal(notes, inventory[0], QRectF(0, 0, 1, 1)));
}

TEST_F(WindowReturnOriginsTest, RemovingTakesEveryEntryOfTheIdentity)
{
    origins.recordOriginal(notes, inventory[0], frame);
    origins.recordOriginal(mail, inventory[2], frame);
    EXPECT_TRUE(origins.remove(notes));
    EXPECT_FALSE(origins.remove(notes));
    ASSERT_EQ(origins.entries().size(), 1u);
    EXPECT_EQ(origins.entries()[0].identity, mail);
}

TEST_F(WindowReturnOriginsTest, DestinationRulesAnswerInOrder)
{
    origins.recordOriginal(notes, inventory[1], frame);
    EXPECT_EQ(destination(notes), WindowReturnDestinationResult(WindowReturnDestination { inventory[1], frame, true }));
    // Without a recorded origin: the current desktop of the dedicated screen.
    EXPECT_EQ(destination(mail),
        WindowReturnDestinationResult(WindowReturnDestination { inventory[3], std::nullopt, false }));

    EXPECT_EQ(destination(notes, "D2", {}, " com.openai.codex"),
        WindowReturnDestinationResult(WindowReturnDestinationError::invalidIdentity));
    EXPECT_EQ(
        destination(notes, "D2", { 0 }), WindowReturnDestinationResult(WindowReturnDestinationError::invalidInventory));
    inventory.push_back(inventory[0]);
    EXPECT_EQ(destination(notes), WindowReturnDestinationResult(WindowReturnDestinationError::invalidInventory));
    inventory.pop_back();
    // The assistant's own windows never go back, whatever the case of its bundle identifier.
    WindowReturnIdentity assistant { 50, 501, "com.OpenAI.Codex", 1700000000 };
    origins.recordOriginal(assistant, inventory[0], frame);
    EXPECT_EQ(destination(assistant), WindowReturnDestinationResult(WindowReturnDestinationError::protectedAssistant));
    EXPECT_EQ(
        destination(notes, "D2", { 12 }), WindowReturnDestinationResult(WindowReturnDestinationError::projectDesktop));
    EXPECT_EQ(
        destination(mail, "D2", { 22 }), WindowReturnDestinationResult(WindowReturnDestinationError::projectDesktop));
}

TEST_F(WindowReturnOriginsTest, ARecordedOriginIsFoundByItsUUIDOrIsUnavailable)
{
    origins.recordOriginal(notes, inventory[1], frame);
    // A recorded desktop that is gone is not replaced by the dedicated screen's desktop.
    auto gone = inventory;
    gone.erase(gone.begin() + 1);
    EXPECT_EQ(origins.destination(notes, gone, "D2", "com.openai.codex", {}),
        WindowReturnDestinationResult(WindowReturnDestinationError::originalUnavailable));
    // The desktop's UUID decides, not its id: the same UUID under a new id is the same desktop.
    auto renumbered = inventory;
    renumbered[1].spaceID = 15;
    EXPECT_EQ(std::get<WindowReturnDestination>(origins.destination(notes, renumbered, "D2", "com.openai.codex", {}))
                  .desktop.spaceID,
        15u);
    // Two desktops carrying the recorded UUID: the window goes to neither.
    auto twice = inventory;
    twice[0].spaceUUID = "u12";
    EXPECT_TRUE(std::holds_alternative<WindowReturnDestinationError>(
        origins.destination(notes, twice, "D2", "com.openai.codex", {})));
}

TEST_F(WindowReturnOriginsTest, TheDedicatedScreenMustHaveOneKnownCurrentDesktop)
{
    auto unavailable = WindowReturnDestinationResult(WindowReturnDestinationError::assistantUnavailable);
    EXPECT_EQ(destination(mail, std::nullopt), unavailable);
    EXPECT_EQ(destination(mail, ""), unavailable);
    EXPECT_EQ(destination(mail, "D3"), unavailable);
    inventory[3].currentSpaceID = 21;
    EXPECT_EQ(destination(mail), unavailable);
    inventory[2].currentSpaceID = 29;
    inventory[3].currentSpaceID = 29;
    EXPECT_EQ(destination(mail), unavailable);
}

TEST_F(WindowReturnOriginsTest, TheStoredFormReadsBackByteForByte)
{
    EXPECT_EQ(WindowReturnOrigins().encodedData(), R"({"entries":[],"version":1})");
    origins.recordOriginal(notes, inventory[0], frame);
    origins.recordOriginal(mail, { 21, 22, "D2", "U21" }, QRectF(-1440.5, 0, 800, 600));
    auto data = origins.encodedData();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->substr(0, 117),
        R"({"entries":[{"desktop":{"display":"D1","spaceID":11,"spaceUUID":"U11"},"frame":[[10.0,20.0],[640.0,480.0]],"identity")");
    auto decoded = WindowReturnOrigins::decode(*data);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, origins);
    EXPECT_EQ(decoded->encodedData(), data);
}

TEST_F(WindowReturnOriginsTest, StoredDataThatFailsAnyCheckIsRejectedWhole)
{
    origins.recordOriginal(notes, inventory[0], frame);
    std::string data = *origins.encodedData();
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string copy = data;
        copy.replace(copy.find(from), from.size(), to);
        return WindowReturnOrigins::decode(copy);
    };
    EXPECT_TRUE(replaced("\"version\":1", "\"version\":1"));
    EXPECT_FALSE(replaced("\"version\":1", "\"version\":2"));
    EXPECT_FALSE(replaced("\"version\":1", "\"version\":1.0"));
    EXPECT_FALSE(replaced("\"windowID\":40", "\"windowID\":4294967296"));
    EXPECT_FALSE(replaced("\"pid\":301", "\"pid\":-301"));
    EXPECT_FALSE(replaced("\"processLaunchTime\":1700000000.5", "\"processLaunchTime\":0"));
    EXPECT_FALSE(replaced(",\"spaceUUID\":\"U11\"", ""));
    EXPECT_FALSE(replaced("\"desktop\":", "\"place\":")) << "an origin without its desktop";
    EXPECT_FALSE(replaced("\"identity\":", "\"who\":")) << "or without its window";
    EXPECT_FALSE(replaced("[640.0,480.0]", "[640.0]"));
    EXPECT_FALSE(replaced("[640.0,480.0]", "[640.0,0]"));
    EXPECT_FALSE(replaced("[640.0,480.0]]", "[640.0,480.0],[1.0,1.0]]")) << "a frame is two pairs";
    EXPECT_FALSE(replaced("[[10.0,20.0],[640.0,480.0]]", R"({"a":[10.0,20.0],"b":[640.0,480.0]})"));
    std::string entry = data.substr(12, data.size() - 12 - 15);
    EXPECT_FALSE(WindowReturnOrigins::decode(R"({"entries":[)" + entry + "," + entry + R"(],"version":1})"));
    EXPECT_FALSE(WindowReturnOrigins::decode("not JSON"));
    EXPECT_FALSE(WindowReturnOrigins::decode(R"({"version":1})"));
    EXPECT_FALSE(WindowReturnOrigins::decode(R"([])"));
}

TEST_F(WindowReturnOriginsTest, OneSizeLimitForWhatIsReadAndWhatIsWritten)
{
    const std::size_t limit = WindowReturnOrigins::maximumDataSize;
    auto withBundle = [](std::size_t length) {
        WindowReturnIdentity identity = notes;
        identity.bundleID = std::string(length, 'x');
        return identity;
    };
    WindowReturnOrigins probe;
    ASSERT_TRUE(probe.recordOriginal(withBundle(1), inventory[0], frame));
    std::size_t overhead = probe.encodedData()->size() - 1;
    // One origin fills the stored form to the limit exactly.
    ASSERT_TRUE(origins.recordOriginal(withBundle(limit - overhead), inventory[0], frame));
    std::string full = *origins.encodedData();
    EXPECT_EQ(full.size(), limit);
    EXPECT_TRUE(WindowReturnOrigins::decode(full));
    EXPECT_FALSE(WindowReturnOrigins::decode(full + " ")) << "a byte more is not read";

    // An origin that would pass it is not recorded: that window returns as one without origin.
    EXPECT_FALSE(origins.recordOriginal(mail, inventory[2], frame));
    EXPECT_EQ(origins.entries().size(), 1u);
    EXPECT_EQ(origins.encodedData(), full);
    EXPECT_EQ(destination(mail), WindowReturnDestinationResult(WindowReturnDestination { inventory[3], std::nullopt, false }));

    // A stored form within the limit whose writing would pass it is not written.
    const std::string decimals = "[[10.0,20.0],[640.0,480.0]]";
    std::string compact = full;
    compact.replace(compact.find(decimals), decimals.size(), "[[10,20],[640,480]]");
    compact.insert(compact.find("xxx"), full.size() - compact.size(), 'x');
    ASSERT_EQ(compact.size(), limit);
    auto read = WindowReturnOrigins::decode(compact);
    ASSERT_TRUE(read);
    EXPECT_FALSE(read->encodedData());
}

} // namespace
} // namespace pellamor
