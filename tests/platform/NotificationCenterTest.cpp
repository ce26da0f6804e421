#include "platform/NotificationCenter.h"

#include <gtest/gtest.h>
#include <vector>

namespace pellamor {
namespace {

TEST(NotificationCenterTest, DeliversByNameAndObjectSynchronously)
{
    NotificationCenter center;
    int sender = 0, other = 0;
    std::vector<std::string> seen;
    auto byName = center.addObserver("A", nullptr, [&](const Notification& n) { seen.push_back("name:" + n.name); });
    auto byObject = center.addObserver(
        "A", &sender, [&](const Notification& n) { seen.push_back("object:" + *lookupString(n.userInfo, "k")); });
    auto everything = center.addObserver("", nullptr, [&](const Notification& n) { seen.push_back("all:" + n.name); });
    center.post("A", &sender, { { "k", "v" } });
    center.post("A", &other, { { "k", "w" } });
    center.post("B");
    EXPECT_EQ(seen, (std::vector<std::string> { "name:A", "object:v", "all:A", "name:A", "all:A", "all:B" }));
}

TEST(NotificationCenterTest, ObserversLeaveWithTheirTokenEvenDuringAPost)
{
    NotificationCenter center;
    int first = 0, second = 0, late = 0;
    ObserverToken secondToken, lateToken;
    auto firstToken = center.addObserver("A", nullptr, [&](const Notification&) {
        ++first;
        secondToken.reset();
        lateToken = center.addObserver("A", nullptr, [&](const Notification&) { ++late; });
    });
    secondToken = center.addObserver("A", nullptr, [&](const Notification&) { ++second; });
    center.post("A");
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0) << "removed by an earlier observer of the same post";
    EXPECT_EQ(late, 0) << "added during the post";
    ObserverToken moved = std::move(firstToken);
    EXPECT_FALSE(firstToken);
    moved = ObserverToken();
    center.post("A");
    EXPECT_EQ(first, 1);
    EXPECT_EQ(late, 1);
}

TEST(NotificationCenterTest, ATokenMayOutliveItsCentre)
{
    ObserverToken token;
    {
        NotificationCenter center;
        token = center.addObserver("A", nullptr, [](const Notification&) {});
    }
    token.reset();
    EXPECT_FALSE(token);
}

} // namespace
} // namespace pellamor
