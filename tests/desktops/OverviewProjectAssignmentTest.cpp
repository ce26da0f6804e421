#include "desktops/OverviewProjectAssignment.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

TEST(OverviewProjectAssignmentTest, EveryFieldCountsIncludingTheOrderOfDesktops)
{
    OverviewProjectAssignment row { "p", "Projet", { 2, 3 }, "~/src/p", false, false, std::nullopt };
    OverviewProjectAssignment reordered = row;
    reordered.desktops = { 3, 2 };
    EXPECT_NE(row, reordered);
    OverviewProjectAssignment fallback = row;
    fallback.fallbackDesktop = 1;
    EXPECT_NE(row, fallback);
    EXPECT_EQ(row, (OverviewProjectAssignment { "p", "Projet", { 2, 3 }, "~/src/p", false, false, std::nullopt }));
}

} // namespace
} // namespace pellamor
