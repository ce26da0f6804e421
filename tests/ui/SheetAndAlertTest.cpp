#include "ui/Alert.h"
#include "ui/SheetHost.h"
#include "ui/SwitchControl.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"

#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

class SheetAndAlertTest : public ::testing::Test {
protected:
    void SetUp() override { window.show(); }
    test::WidgetApplication application;
    test::TestMac mac;
    QWidget window;
};

TEST_F(SheetAndAlertTest, OneSheetPerWindowUntilItEnds)
{
    QWidget first;
    QWidget second;
    EXPECT_TRUE(SheetHost::beginSheet(&window, &first));
    EXPECT_EQ(SheetHost::attachedSheet(&window), &first);
    EXPECT_FALSE(SheetHost::beginSheet(&window, &second));
    EXPECT_TRUE(first.isVisible());
    SheetHost::endSheet(&first);
    EXPECT_FALSE(first.isVisible());
    EXPECT_FALSE(SheetHost::hasAttachedSheet(&window));
    EXPECT_TRUE(SheetHost::beginSheet(&window, &second));
    SheetHost::endSheet(&second);
}

TEST_F(SheetAndAlertTest, ButtonsAnswerWithTheirResponseCodeOnce)
{
    std::vector<int> responses;
    Alert alert { AlertStyle::informational, "Avant de démarrer", "Message", { "Compris", "Signaler cette erreur…" },
        {} };
    AlertSheet* sheet = AlertSheet::begin(&window, alert, [&](int response) { responses.push_back(response); });
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(SheetHost::attachedSheet(&window), sheet);
    EXPECT_EQ(AlertSheet::begin(&window, alert, [&](int) { responses.push_back(-1); }), nullptr);

    auto* second = sheet->findChild<QPushButton*>("alert-button-1");
    ASSERT_NE(second, nullptr);
    QTest::mouseClick(second, Qt::LeftButton);
    EXPECT_EQ(responses, (std::vector<int> { 1001 }));
    EXPECT_FALSE(SheetHost::hasAttachedSheet(&window));

    AlertSheet* next = AlertSheet::begin(&window, alert, [&](int response) { responses.push_back(response); });
    ASSERT_NE(next, nullptr);
    next->respond(alertFirstButtonReturn);
    EXPECT_EQ(responses, (std::vector<int> { 1001, 1000 }));
}

TEST_F(SheetAndAlertTest, SwitchFlipsAndReportsOnClick)
{
    SwitchControl toggle(&window);
    int actions = 0;
    toggle.onAction = [&] { ++actions; };
    toggle.show();
    QTest::mouseClick(&toggle, Qt::LeftButton);
    EXPECT_TRUE(toggle.isOn());
    EXPECT_EQ(actions, 1);
    toggle.setEnabled(false);
    QTest::mouseClick(&toggle, Qt::LeftButton);
    EXPECT_TRUE(toggle.isOn());
    EXPECT_EQ(actions, 1);
}

} // namespace
} // namespace pellamor
