#include "platform/Bundle.h"

#include "support/TemporaryDirectory.h"
#include "support/TestMac.h"

#include <fstream>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

TEST(BundleTest, ReadsVersionsAndFindsResourcesByNameAndType)
{
    test::TestMac mac;
    auto bundle = Bundle::main();
    EXPECT_EQ(bundle.resourceURL(), std::filesystem::path(PELLAMOR_SOURCE_RESOURCES));
    EXPECT_TRUE(bundle.shortVersion());
    EXPECT_TRUE(bundle.buildVersion());
    EXPECT_TRUE(bundle.url("Info", "plist"));
    EXPECT_TRUE(bundle.url("en.lproj", ""));
    EXPECT_FALSE(bundle.url("Missing", "plist"));
}

TEST(BundleTest, WithoutResourcesOrWithAMalformedInfoPlistHasNoValues)
{
    Bundle empty { std::filesystem::path() };
    EXPECT_FALSE(empty.resourceURL());
    EXPECT_FALSE(empty.url("Info", "plist"));
    test::TemporaryDirectory folder;
    std::ofstream(folder.path() / "Info.plist") << "<plist><dict><key>CFBundleVersion</key><integer>3</integer>";
    Bundle malformed(folder.path());
    EXPECT_TRUE(malformed.infoDictionary().empty());
    EXPECT_FALSE(malformed.buildVersion());
}

TEST(BundleTest, PrefersTheResourcesBesideTheExecutable)
{
    test::TemporaryDirectory bin;
    EXPECT_EQ(Bundle::locateResources(bin.path()), std::filesystem::path(PELLAMOR_SOURCE_RESOURCES));
    std::filesystem::create_directory(bin.path() / "resources");
    EXPECT_EQ(Bundle::locateResources(bin.path()), bin.path() / "resources");
}

} // namespace
} // namespace pellamor
