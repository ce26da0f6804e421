#include "desktops/DesktopManager.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

NativeDesktopState desktop(std::uint64_t id, std::string display, std::uint64_t current = 0)
{
    return { id, current ? current : id, std::move(display), std::nullopt };
}

// Acts on a list of desktops, answering at once or when the test says so, and counts what it is asked.
class FakeDriver : public DesktopManagementDriver {
public:
    std::vector<NativeDesktopState> desktops;
    bool readable = true;
    bool answersLater = false;
    std::optional<std::string> refusal;
    std::optional<std::string> failure;
    // Runs inside the next add or remove, while the manager's call is on the stack.
    std::function<void()> duringAction;
    std::function<void()> afterValidation;
    // What macOS does instead of the asked change.
    std::function<void()> instead;
    Completion pending;
    int depth = 0;
    int actions = 0;
    int closes = 0;
    std::uint64_t nextID = 100;

    std::optional<std::vector<NativeDesktopState>> inventory() override
    {
        if (!readable)
            return std::nullopt;
        return desktops;
    }
    std::optional<std::string> validate(const std::string&, std::optional<std::uint64_t>) override
    {
        if (afterValidation)
            std::exchange(afterValidation, nullptr)();
        return refusal;
    }
    void add(const std::string& display, Validating validating, Completion completion) override
    {
        act(validating, completion, [&] {
            auto last = std::find_if(desktops.rbegin(), desktops.rend(), [&](auto& d) { return d.display == display; });
            desktops.insert(last.base(), desktop(nextID++, display));
        });
    }
    void remove(std::uint64_t space, const std::string&, Validating validating, Completion completion) override
    {
        act(validating, completion, [&] { std::erase_if(desktops, [&](auto& d) { return d.spaceID == space; }); });
    }
    void close() override { ++closes; }

    void answer()
    {
        auto completion = std::exchange(pending, nullptr);
        completion(failure);
    }

private:
    template <class Change> void act(const Validating& validating, const Completion& completion, Change change)
    {
        ++depth;
        ++actions;
        if (duringAction)
            std::exchange(duringAction, nullptr)();
        if (auto message = validating()) {
            completion(message);
        } else {
            if (instead)
                std::exchange(instead, nullptr)();
            else if (!failure)
                change();
            if (answersLater)
                pending = completion;
            else
                completion(failure);
        }
        --depth;
    }
};

class DesktopManagerTest : public ::testing::TestWithParam<bool> {
protected:
    std::shared_ptr<FakeDriver> driver = std::make_shared<FakeDriver>();
    std::shared_ptr<DesktopManager> manager = std::make_shared<DesktopManager>(driver);
    std::vector<DesktopManagementResult> results;

    DesktopManagerTest()
    {
        driver->desktops = { desktop(1, "A"), desktop(2, "A", 1), desktop(3, "B") };
        driver->answersLater = GetParam();
    }

    DesktopManager::Completion record()
    {
        return [this](DesktopManagementResult result) {
            EXPECT_EQ(driver->depth, 0) << "delivered while a driver call was on the stack";
            results.push_back(std::move(result));
        };
    }

    void answerIfLater()
    {
        if (driver->answersLater && driver->pending)
            driver->answer();
    }

    std::string onlyFailure()
    {
        EXPECT_EQ(results.size(), 1u);
        auto failed = results.empty() ? nullptr : results[0].asFailed();
        return failed ? failed->message : "<no failure>";
    }
};

TEST_P(DesktopManagerTest, CreatesRightAfterTheDisplaysLastDesktopAndClosesTheDriverOnce)
{
    auto before = driver->desktops;
    manager->create("A", record());
    answerIfLater();
    ASSERT_EQ(results.size(), 1u);
    ASSERT_TRUE(results[0].asChanged());
    EXPECT_EQ(results[0].asChanged()->before, before);
    EXPECT_EQ(results[0].asChanged()->after[2].spaceID, 100u);
    EXPECT_EQ(driver->closes, 1);
}

TEST_P(DesktopManagerTest, RemovesAndProvesTheRemoval)
{
    manager->remove(2, record());
    answerIfLater();
    ASSERT_EQ(results.size(), 1u);
    ASSERT_TRUE(results[0].asChanged());
    EXPECT_EQ(results[0].asChanged()->after.size(), 2u);
}

TEST_P(DesktopManagerTest, RefusesASecondOperationAtOnceAndFinishesTheFirst)
{
    driver->answersLater = true;
    manager->create("A", record());
    std::optional<DesktopManagementResult> second;
    manager->create("B", [&](DesktopManagementResult r) { second = r; });
    ASSERT_TRUE(second && second->asFailed());
    EXPECT_EQ(second->asFailed()->message, "Une modification des bureaux est déjà en cours.");
    driver->answer();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(results[0].asChanged());
}

TEST_P(DesktopManagerTest, RefusesBeforeTouchingTheDriver)
{
    struct Case {
        std::vector<NativeDesktopState> desktops;
        std::function<void(DesktopManager&, DesktopManager::Completion)> start;
        std::string message;
    };
    auto create = [](std::string display) { return [display](DesktopManager& m, auto c) { m.create(display, c); }; };
    auto remove = [](std::uint64_t space) { return [space](DesktopManager& m, auto c) { m.remove(space, c); }; };
    std::vector<NativeDesktopState> nine;
    for (std::uint64_t id = 1; id <= 9; ++id)
        nine.push_back(desktop(id, id < 5 ? "A" : "B"));
    const std::vector<Case> cases = {
        { nine, create("A"), "Cette app gère jusqu’à neuf bureaux. Supprime un bureau vide avant d’en ajouter un." },
        { driver->desktops, create("a"), "Cet écran n’est plus disponible. Actualise la liste des bureaux." },
        { driver->desktops, remove(3), "Conserve au moins un bureau sur cet écran." },
        { driver->desktops, remove(7), "Ce bureau n’existe plus. Actualise la liste des bureaux." },
        { { desktop(1, "A"), desktop(3, "B"), desktop(2, "A") }, create("A"),
            "Impossible de lire les bureaux de ce Mac." },
        { { desktop(1, "A"), desktop(1, "B") }, create("A"), "Impossible de lire les bureaux de ce Mac." },
        { {}, create("A"), "Impossible de lire les bureaux de ce Mac." },
    };
    for (const auto& c : cases) {
        driver->desktops = c.desktops;
        results.clear();
        c.start(*manager, record());
        EXPECT_EQ(onlyFailure(), c.message);
    }
    EXPECT_EQ(driver->actions, 0);
    EXPECT_EQ(driver->closes, 0);
}

TEST_P(DesktopManagerTest, PassesTheDriversRefusalAndFailureThrough)
{
    driver->refusal = "Refusé.";
    manager->create("A", record());
    EXPECT_EQ(onlyFailure(), "Refusé.");
    EXPECT_EQ(driver->actions, 0);

    driver->refusal.reset();
    driver->failure = "Raté.";
    results.clear();
    manager->create("A", record());
    answerIfLater();
    EXPECT_EQ(onlyFailure(), "Raté.");
    EXPECT_EQ(driver->closes, 1);
}

TEST_P(DesktopManagerTest, AsksToRefreshWhenTheDesktopsChangeDuringValidation)
{
    driver->afterValidation = [&] { driver->desktops.push_back(desktop(9, "B")); };
    manager->create("A", record());
    EXPECT_EQ(onlyFailure(), "La liste des bureaux a changé. Actualise puis réessaie.");
}

TEST_P(DesktopManagerTest, RefusesWhenTheDesktopsChangeDuringTheDriversLastValidation)
{
    // The change comes while the driver checks its rules right before it acts, after the manager's first read.
    driver->duringAction = [&] {
        driver->afterValidation = [&] { driver->desktops.push_back(desktop(9, "B")); };
    };
    manager->create("A", record());
    answerIfLater();
    EXPECT_EQ(onlyFailure(), "La liste des bureaux a changé. Actualise puis réessaie.");
    EXPECT_EQ(driver->desktops.size(), 4u) << "nothing was added";
}

TEST_P(DesktopManagerTest, DoesNotConfirmTheRemovalOfAnotherDesktop)
{
    driver->instead = [&] { std::erase_if(driver->desktops, [](auto& d) { return d.spaceID == 1; }); };
    manager->remove(2, record());
    answerIfLater();
    EXPECT_EQ(onlyFailure(),
        "macOS n’a pas confirmé la modification attendue. Actualise la liste des bureaux avant de réessayer.");
}

TEST_P(DesktopManagerTest, DoesNotConfirmADesktopInTheWrongPlaceOrASecondChange)
{
    auto addAsked = [&] {
        driver->add(
            "A", [] { return std::nullopt; }, [](auto) {});
    };
    const std::vector<std::function<void()>> surprises = {
        [&] { driver->desktops.insert(driver->desktops.begin(), desktop(50, "A")); },
        [&] { driver->desktops.insert(driver->desktops.begin() + 1, desktop(50, "A")); },
        [&] {
            addAsked();
            driver->desktops.back().spaceID = 51;
        },
    };
    for (const auto& surprise : surprises) {
        driver->desktops = { desktop(1, "A"), desktop(2, "A", 1), desktop(3, "B") };
        driver->instead = surprise;
        results.clear();
        manager->create("A", record());
        answerIfLater();
        EXPECT_EQ(onlyFailure(),
            "macOS n’a pas confirmé la modification attendue. Actualise la liste des bureaux avant de réessayer.");
    }
}

TEST_P(DesktopManagerTest, CancelDuringTheDriversWorkEndsOnceAndIgnoresTheLateAnswer)
{
    driver->answersLater = true;
    manager->create("A", record());
    manager->cancel();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(results[0].isCancelled());
    EXPECT_EQ(driver->closes, 1);
    driver->answer();
    manager->cancel();
    EXPECT_EQ(results.size(), 1u);
}

TEST_P(DesktopManagerTest, ParksACancelMadeInsideADriverCallUntilTheCallReturns)
{
    driver->duringAction = [&] {
        manager->cancel();
        EXPECT_TRUE(results.empty());
    };
    manager->create("A", record());
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(results[0].isCancelled());
    answerIfLater();
    EXPECT_EQ(results.size(), 1u);
}

TEST_P(DesktopManagerTest, ClosesTheStartedDriverWhenReleasedMidOperation)
{
    driver->answersLater = true;
    manager->create("A", record());
    manager.reset();
    EXPECT_EQ(driver->closes, 1);
    driver->answer();
    EXPECT_TRUE(results.empty());
}

INSTANTIATE_TEST_SUITE_P(Answering, DesktopManagerTest, ::testing::Values(false, true),
    [](const auto& info) { return info.param ? "Later" : "AtOnce"; });

} // namespace
} // namespace pellamor
