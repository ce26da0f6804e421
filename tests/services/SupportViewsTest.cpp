#include "ui/ControlClick.h"
#include "ui/SheetHost.h"
#include "services/FeedbackService.h"
#include "services/FeedbackWindowController.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

class SupportViewsTest : public ::testing::Test {
protected:
    void SetUp() override { window.show(); }
    test::WidgetApplication application;
    test::TestMac mac;
    QWidget window;
    FeedbackService service { std::nullopt, FeedbackMetadata { "1.2", "34", "14.5.0" } };
};

TEST_F(SupportViewsTest, FeedbackFormKeepsOnlyADraftWorthKeeping)
{
    std::vector<std::optional<FeedbackDraft>> closed;
    FeedbackWindowController form({ FeedbackKind::improvement, "", "", "Erreur", "project_displays" }, service);
    form.onClose = [&](std::optional<FeedbackDraft> draft) { closed.push_back(draft); };
    form.present(&window);
    EXPECT_EQ(SheetHost::attachedSheet(&window), form.window());
    EXPECT_FALSE(form.window()->findChild<QPushButton*>("send-feedback")->isEnabled());
    EXPECT_TRUE(clickControl("close-feedback"));
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_FALSE(closed[0]);
    EXPECT_FALSE(SheetHost::hasAttachedSheet(&window));

    FeedbackWindowController second({ FeedbackKind::improvement, "", "", "Erreur", "project_displays" }, service);
    second.onClose = [&](std::optional<FeedbackDraft> draft) { closed.push_back(draft); };
    second.present(&window);
    second.window()->findChild<QPlainTextEdit*>("feedback-message")->setPlainText("  Une idée  ");
    clickControl("close-feedback");
    ASSERT_EQ(closed.size(), 2u);
    ASSERT_TRUE(closed[1]);
    EXPECT_EQ(
        *closed[1], (FeedbackDraft { FeedbackKind::improvement, "  Une idée  ", "", "Erreur", "project_displays" }));
}

TEST_F(SupportViewsTest, ClicksReachOnlyEnabledControls)
{
    auto* button = new QPushButton("Bouton", &window);
    button->setObjectName("some-button");
    button->show();
    auto* field = new QLineEdit(&window);
    field->setObjectName("some-field");
    field->show();
    QAction* item = window.addAction("Élément");
    item->setObjectName("some-item");
    int clicks = 0, triggers = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    QObject::connect(item, &QAction::triggered, [&] { ++triggers; });
    EXPECT_EQ(clickIdentified("some-button"), ControlOutcome::done);
    EXPECT_EQ(clickIdentified("some-item"), ControlOutcome::done);
    EXPECT_EQ(typeIntoControl("some-field", "ab"), ControlOutcome::done);
    EXPECT_EQ(pressKeyInControl("some-field", "Space"), ControlOutcome::done);
    button->setEnabled(false);
    item->setEnabled(false);
    field->setEnabled(false);
    EXPECT_EQ(clickIdentified("some-button"), ControlOutcome::disabled);
    EXPECT_EQ(clickIdentified("some-item"), ControlOutcome::disabled);
    EXPECT_EQ(typeIntoControl("some-field", "c"), ControlOutcome::disabled);
    EXPECT_EQ(pressKeyInControl("some-field", "Space"), ControlOutcome::disabled);
    EXPECT_TRUE(clickControl("some-button"));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(triggers, 1);
    EXPECT_EQ(field->text(), "ab ");
    EXPECT_EQ(clickIdentified("no-such-control"), ControlOutcome::missing);
    EXPECT_EQ(typeIntoControl("no-such-control", "x"), ControlOutcome::missing);
    EXPECT_EQ(pressKeyInControl("some-field", "Tab"), ControlOutcome::missing);
    EXPECT_FALSE(clickControl("no-such-control"));
}

} // namespace
} // namespace pellamor
