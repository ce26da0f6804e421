// The whole application on a busy Mac, in light or dark appearance and in French or English, with the onboarding
// already done; tests walk its views.
#pragma once

#include "app/AppDelegate.h"
#include "platform/FileContents.h"
#include "services/Onboarding.h"
#include "support/CrowdedWorld.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"
#include "ui/ColorTable.h"

#include <QCoreApplication>
#include <gtest/gtest.h>
#include <string>
#include <tuple>

namespace pellamor::test {

// Dark appearance, language ("fr" or "en").
using Variant = std::tuple<bool, std::string>;

class CrowdedShell : public ::testing::TestWithParam<Variant> {
protected:
    CrowdedShell(Crowd crowd, sim::World world)
        : crowd(crowd)
        , mac(std::move(world), { std::get<1>(GetParam()) == "en" ? "en-US" : "fr-FR" })
    {
        mac.mac().standardDefaults().set(OnboardingProgress::seenKey, true);
        EXPECT_TRUE(writeFileAtomically(mac.home() / ".codex" / ".codex-global-state.json",
            crowdedAssistantState(crowd)));
        ColorTable::appearanceChanged();
    }
    ~CrowdedShell() override
    {
        mac.world().darkAppearance = false;
        ColorTable::appearanceChanged();
        delegate.applicationWillTerminate();
        mac.advance(0.01);
    }

    void settle()
    {
        for (int turn = 0; turn < 3; ++turn) {
            QCoreApplication::sendPostedEvents();
            mac.advance(0.2);
        }
    }
    std::string language() const { return std::get<1>(GetParam()); }

    WidgetApplication application;
    Crowd crowd;
    TestMac mac;
    AppDelegate delegate;
};

} // namespace pellamor::test
