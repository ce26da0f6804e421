#include "app/StoredAssociations.h"

#include "ui/AppConstants.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

PlistDictionary entry(const std::string& id, const std::string& display)
{
    return { { "id", id }, { "display", display } };
}

TEST(StoredAssociationsTest, NothingStoredGivesAnEmptyLegacyMapToMigrate)
{
    UserDefaults defaults;
    StoredAssociations stored = readStoredAssociations(defaults);
    EXPECT_FALSE(stored.invalid);
    ASSERT_TRUE(stored.legacyAssociations);
    EXPECT_TRUE(stored.legacyAssociations->empty());
    EXPECT_FALSE(stored.legacyDesktopInventory);
}

TEST(StoredAssociationsTest, UnreadableIdentitiesAreInvalidAndTheLegacyKeysAreNotRead)
{
    UserDefaults defaults;
    defaults.set(desktopIdentitiesKey, "a string");
    defaults.set(preferencesKey, PlistDictionary { { "p", 2 } });
    StoredAssociations stored = readStoredAssociations(defaults);
    EXPECT_TRUE(stored.invalid);
    EXPECT_FALSE(stored.legacyAssociations);

    defaults.set(desktopIdentitiesKey, PlistData { '{', 'x' });
    EXPECT_TRUE(readStoredAssociations(defaults).invalid);
}

TEST(StoredAssociationsTest, LegacyNumbersAndPendingInventoryAreCheckedWhole)
{
    UserDefaults defaults;
    defaults.set(preferencesKey, PlistDictionary { { "p", 2 }, { "q", "three" } });
    EXPECT_TRUE(readStoredAssociations(defaults).invalid);

    defaults.set(preferencesKey, PlistDictionary { { "p", 2 } });
    StoredAssociations numbers = readStoredAssociations(defaults);
    EXPECT_FALSE(numbers.invalid);
    EXPECT_EQ(*numbers.legacyAssociations, (LegacyAssociations { { "p", 2 } }));

    defaults.set(pendingDesktopInventoryKey, PlistArray { entry("11", "D1"), entry("12", "D1") });
    EXPECT_TRUE(readStoredAssociations(defaults).invalid) << "pending inventory without pending assignments";

    defaults.set(pendingDesktopAssignmentsKey, PlistDictionary { { "q", 1 } });
    StoredAssociations pending = readStoredAssociations(defaults);
    EXPECT_FALSE(pending.invalid);
    EXPECT_EQ(*pending.legacyAssociations, (LegacyAssociations { { "q", 1 } }));
    ASSERT_TRUE(pending.legacyDesktopInventory);
    ASSERT_EQ(pending.legacyDesktopInventory->size(), 2u);
    EXPECT_EQ((*pending.legacyDesktopInventory)[1].spaceID, 12u);
    EXPECT_EQ((*pending.legacyDesktopInventory)[1].currentSpaceID, 12u);
    EXPECT_FALSE((*pending.legacyDesktopInventory)[1].spaceUUID);

    for (const PlistValue& bad :
        { PlistValue(PlistArray { entry("abc", "D1") }), PlistValue(PlistArray { entry("-1", "D1") }),
            PlistValue(PlistArray { PlistDictionary { { "id", "11" } } }),
            PlistValue(PlistArray { PlistDictionary { { "id", 11 }, { "display", "D1" } } }), PlistValue(PlistArray {}),
            PlistValue("not an array") }) {
        defaults.set(pendingDesktopInventoryKey, bad);
        EXPECT_TRUE(readStoredAssociations(defaults).invalid);
    }
}

TEST(StoredAssociationsTest, UndecodableCreatedDesktopsOnlyMarkTheListUnreadable)
{
    UserDefaults defaults;
    EXPECT_TRUE(readStoredManagedDesktops(defaults).readable);
    defaults.set(managedDesktopsKey, PlistData { '[', ']', 'x' });
    StoredManagedDesktops stored = readStoredManagedDesktops(defaults);
    EXPECT_FALSE(stored.readable);
    EXPECT_TRUE(stored.desktops.entries.empty());
}

} // namespace
} // namespace pellamor
