#include "desktops/ProjectDisplayWorkspace.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

using Error = ProjectDisplayWorkspaceError;

NativeDesktopState desktop(
    std::uint64_t id, std::string display, std::optional<std::string> uuid = std::nullopt, std::uint64_t current = 1)
{
    return { id, current, std::move(display), std::move(uuid) };
}

ProjectDisplayPlan blocked(Error error)
{
    return { ProjectDisplayPlan::Blocked { error } };
}

class ProjectDisplayWorkspaceTest : public ::testing::Test {
protected:
    // Display R is the dedicated screen; C1 and C2 take content.
    std::vector<NativeDesktopState> inventory = {
        desktop(1, "R", "U1"),
        desktop(2, "C1", "U2", 2),
        desktop(3, "C1", "U3", 2),
        desktop(4, "C2", "U4", 4),
    };
    ProjectDesktopAssociations associations;
    std::optional<std::string> reserved = "r";
    std::optional<SpaceIDSet> empty = SpaceIDSet { 2, 3, 4 };

    ProjectDisplayPlan plan(const std::string& project, const std::string& display)
    {
        return ProjectDisplayWorkspace::plan(project, display, inventory, associations, reserved, empty);
    }
};

TEST_F(ProjectDisplayWorkspaceTest, PlansTheProjectsOwnDesktopFirstEvenWithoutKnowingEmptyOnes)
{
    associations.targets["p"] = { ProjectDesktopAssociation(7, "c1", "u3") };
    empty.reset();
    EXPECT_EQ(plan("p", "C1"), ProjectDisplayPlan { ProjectDisplayPlan::Existing { inventory[2] } });
    EXPECT_EQ(plan("p", "C2"), blocked(Error::unknownEmptyDesktops));
}

TEST_F(ProjectDisplayWorkspaceTest, ReusesAnEmptyDesktopNoOtherProjectUsesCurrentOneIncluded)
{
    associations.targets["other"] = { ProjectDesktopAssociation(2, "C1", std::nullopt) };
    EXPECT_EQ(plan("p", "c1"), ProjectDisplayPlan { ProjectDisplayPlan::ReuseEmpty { inventory[2] } });
    associations.targets["p"] = { ProjectDesktopAssociation(4, "C2", std::nullopt) };
    EXPECT_EQ(plan("p", "C2"), ProjectDisplayPlan { ProjectDisplayPlan::Existing { inventory[3] } });
    EXPECT_EQ(plan("q", "C2"), ProjectDisplayPlan { ProjectDisplayPlan::Create { "C2" } }) << "used by p";
}

TEST_F(ProjectDisplayWorkspaceTest, CreatesWithinTheNineDesktopLimitUsingTheInventorysDisplayText)
{
    empty = SpaceIDSet {};
    EXPECT_EQ(plan("p", "c2"), ProjectDisplayPlan { ProjectDisplayPlan::Create { "C2" } });
    for (std::uint64_t id = 5; id <= 8; ++id)
        inventory.push_back(desktop(id, "C2", std::nullopt, 4));
    EXPECT_EQ(plan("p", "C1"), ProjectDisplayPlan { ProjectDisplayPlan::Create { "C1" } }) << "eight desktops";
    inventory.push_back(desktop(9, "C2", std::nullopt, 4));
    EXPECT_EQ(plan("p", "C1"), blocked(Error::desktopLimit));
    inventory.push_back(desktop(10, "C2", std::nullopt, 4));
    associations.targets["p"] = { ProjectDesktopAssociation(10, "C2", std::nullopt) };
    empty = SpaceIDSet { 10 };
    EXPECT_EQ(plan("p", "C2"), blocked(Error::desktopLimit)) << "desktop 10 is neither the project's nor reusable";
}

TEST_F(ProjectDisplayWorkspaceTest, BlocksWithEachReasonInOrder)
{
    associations.targets["p"] = { ProjectDesktopAssociation(1, "R", std::nullopt) };
    EXPECT_EQ(plan("p", "R"), blocked(Error::reservedDisplay)) << "even where the project has a desktop";
    EXPECT_EQ(plan("p", "Z"), blocked(Error::unavailableDisplay));
    EXPECT_EQ(plan(" p", "C1"), blocked(Error::unreadable));
    EXPECT_EQ(plan("p", "C1\n"), blocked(Error::unreadable));
    reserved.reset();
    EXPECT_EQ(plan("p", "Z"), blocked(Error::missingAssistantDisplay));
    reserved = "R";
    inventory.push_back(desktop(2, "C2"));
    EXPECT_EQ(plan("p", "C1"), blocked(Error::unreadable));
    inventory.pop_back();
    associations.targets["bad"] = {};
    EXPECT_EQ(plan("p", "C1"), blocked(Error::unreadable));
}

TEST_F(ProjectDisplayWorkspaceTest, ValidatesAPreparationAgainstTheFreshState)
{
    ProjectDisplayPreparation reuse { UUID::random(), "p", "C1", inventory[1], false, true };
    auto validate = [&](const ProjectDisplayPreparation& preparation) {
        return ProjectDisplayWorkspace::validatePreparation(preparation, inventory, associations, reserved, empty);
    };
    EXPECT_EQ(validate(reuse), std::nullopt);
    empty = SpaceIDSet { 3 };
    EXPECT_EQ(validate(reuse), Error::occupied);
    empty.reset();
    EXPECT_EQ(validate(reuse), Error::unknownEmptyDesktops);
    associations.targets["other"] = { ProjectDesktopAssociation(9, "C1", "u2") };
    EXPECT_EQ(validate(reuse), Error::preparationChanged);
    associations.targets.clear();
    empty = SpaceIDSet { 2 };

    auto changed = [&](auto change) {
        auto saved = inventory;
        change();
        auto answer = validate(reuse);
        inventory = saved;
        return answer;
    };
    EXPECT_EQ(changed([&] { inventory[1].spaceUUID.reset(); }), Error::preparationChanged);
    EXPECT_EQ(changed([&] { inventory[1].display = "C2", inventory[2].display = "C2"; }), Error::preparationChanged);
    EXPECT_EQ(changed([&] { inventory.erase(inventory.begin() + 1); }), Error::preparationChanged);
    EXPECT_EQ(changed([&] {
        for (std::uint64_t id = 20; id < 29; ++id)
            inventory.insert(inventory.begin() + 1, desktop(id, "R", std::nullopt));
    }),
        Error::preparationChanged)
        << "moved to position 10";

    ProjectDisplayPreparation existing { UUID::random(), "p", "C1", inventory[2], false, false };
    EXPECT_EQ(validate(existing), Error::preparationChanged);
    associations.targets["p"] = { ProjectDesktopAssociation(3, "C1", "U3") };
    EXPECT_EQ(validate(existing), std::nullopt);
    existing.created = true;
    EXPECT_EQ(validate(existing), Error::preparationChanged);
    reuse.display = "R";
    EXPECT_EQ(validate(reuse), Error::reservedDisplay);
}

} // namespace
} // namespace pellamor
