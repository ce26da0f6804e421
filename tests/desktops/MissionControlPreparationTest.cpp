#include "desktops/MissionControlPreparation.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

using Decision = MissionControlPreparation::Decision;
using Failure = MissionControlPreparation::Failure;

TEST(MissionControlPreparationTest, OpensAfterTheQuietTimeAndPressesAfterTheDwell)
{
    MissionControlPreparation preparation(10);
    EXPECT_EQ(preparation.advance(10.1, false, true), Decision::wait()) << "notes the release";
    EXPECT_EQ(preparation.advance(10.2, false, true), Decision::wait()) << "only 0.1 s of quiet";
    EXPECT_EQ(preparation.advance(10.2, true, true), Decision::wait());
    EXPECT_EQ(preparation.advance(10.3, false, true), Decision::wait()) << "held again: the quiet starts over";
    EXPECT_EQ(preparation.advance(10.5, false, true), Decision::open());
    EXPECT_TRUE(preparation.awaitingButton());
    EXPECT_EQ(preparation.advance(10.7, false, true), Decision::wait()) << "dwell";
    EXPECT_EQ(preparation.advance(10.85, true, true), Decision::wait()) << "held";
    EXPECT_EQ(preparation.advance(10.85, false, false), Decision::wait()) << "not ready";
    EXPECT_EQ(preparation.advance(10.85, false, true), Decision::perform());
    EXPECT_EQ(preparation.confirmationDeadline, 13.85);
    EXPECT_EQ(preparation.advance(11, false, true), Decision::wait()) << "finished stays put";
}

TEST(MissionControlPreparationTest, FailsWhenInputStaysHeldOrNoButtonComes)
{
    MissionControlPreparation held(10);
    EXPECT_EQ(held.advance(12.9, true, false), Decision::wait());
    EXPECT_EQ(held.advance(13, true, false), Decision::failed(Failure::inputHeld));
    EXPECT_EQ(held.advance(13.1, false, true), Decision::wait());

    MissionControlPreparation noButton(0);
    noButton.advance(0, false, false);
    EXPECT_EQ(noButton.advance(0.2, false, false), Decision::open());
    EXPECT_EQ(noButton.advance(6.1, false, false), Decision::wait());
    EXPECT_EQ(noButton.advance(6.2, false, true), Decision::failed(Failure::unavailableButton));
    EXPECT_FALSE(noButton.confirmationDeadline);
}

} // namespace
} // namespace pellamor
