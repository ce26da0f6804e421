// A launched application delegate on a simulated Mac with two screens, the assistant and its state file.
#pragma once

#include "ui/AppConstants.h"
#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace pellamor::test {

inline const std::string mainDisplay = "11111111-1111-1111-1111-111111111111";
inline const std::string contentDisplay = "22222222-2222-2222-2222-222222222222";

// A display of ordinary desktops with the UUIDs "<prefix>-0000-0000-0000-<space id, 12 digits>"; the first is current.
sim::Display desktopDisplay(const std::string& id, std::uint32_t number, const std::string& name, QRectF frame,
    const std::string& uuidPrefix, std::vector<std::uint64_t> spaces);

// Display 1 (main, the assistant's) holds desktop 1; display 2 holds desktops 2 (space 11) and 3 (space 12).
sim::World twoScreenWorld();

class ShellFixture : public ::testing::Test {
protected:
    ShellFixture();
    ~ShellFixture() override;

    // Replaces the assistant's state file, as the assistant saves it: projects A and B, `selected` chosen.
    void writeState(const std::string& selected);
    void writeRawState(const std::string& contents);
    // Stores project B's association with desktop 3 (space 12 of the content screen).
    void associateProjectB();
    void launch();
    // The lines of the simulated Mac's log since the last call.
    std::vector<std::string> newLogLines();
    std::string status() const;
    UserDefaults& defaults() { return mac.mac().standardDefaults(); }

    WidgetApplication application;
    TestMac mac { twoScreenWorld() };
    std::unique_ptr<AppDelegate> delegate;

private:
    std::size_t logSeen_ = 0;
};

} // namespace pellamor::test
