#include "services/FeedbackWindowController.h"

#include "support/LoopbackHTTPSServer.h"
#include "support/StackGeometry.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"
#include "ui/ControlClick.h"
#include "ui/Label.h"
#include "ui/SheetHost.h"

#include <QApplication>
#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

const std::string host = "o17.ingest.sentry.io";

class FeedbackFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.show();
        server.serve(mac, { host });
    }

    std::unique_ptr<FeedbackWindowController> open(FeedbackDraft draft)
    {
        auto form = std::make_unique<FeedbackWindowController>(std::move(draft), service);
        form->onClose = [this](std::optional<FeedbackDraft> kept) { closed.push_back(std::move(kept)); };
        form->present(&window);
        return form;
    }
    template <class T> T* control(FeedbackWindowController& form, const char* identifier)
    {
        return form.window()->findChild<T*>(identifier);
    }
    std::string status(FeedbackWindowController& form) { return control<Label>(form, "feedback-status")->text(); }
    // The form's height fits what it shows: under the buttons lies its bottom margin, no more.
    int spaceUnderButtons(FeedbackWindowController& form)
    {
        form.window()->layout()->activate();
        auto* send = control<QPushButton>(form, "send-feedback");
        return form.window()->height() - send->mapTo(form.window(), QPoint(0, send->height())).y();
    }

    test::WidgetApplication application;
    test::TestMac mac;
    test::LoopbackHTTPSServer server;
    QWidget window;
    FeedbackService service { SentryConfiguration::make(
                                  "https://0123456789abcdef0123456789abcdef@" + host + "/17", "production"),
        FeedbackMetadata { "1.2", "34", "14.5.0" } };
    std::vector<std::optional<FeedbackDraft>> closed;
};

TEST_F(FeedbackFormTest, SendingLocksTheFormUntilTheServiceConfirms)
{
    auto form = open({ FeedbackKind::improvement });
    control<QPlainTextEdit>(*form, "feedback-message")->setPlainText("Une idée");
    ASSERT_TRUE(clickControl("send-feedback"));
    EXPECT_EQ(status(*form), "Envoi en cours…");
    EXPECT_FALSE(control<QComboBox>(*form, "feedback-kind")->isEnabled());
    EXPECT_FALSE(control<QLineEdit>(*form, "feedback-email")->isEnabled());
    EXPECT_TRUE(control<QPlainTextEdit>(*form, "feedback-message")->isReadOnly());
    EXPECT_TRUE(control<QPlainTextEdit>(*form, "feedback-error")->isReadOnly());
    EXPECT_FALSE(control<QPushButton>(*form, "close-feedback")->isEnabled());
    EXPECT_FALSE(control<QPushButton>(*form, "contact-support")->isEnabled());
    form->closeForm();
    EXPECT_TRUE(closed.empty());

    ASSERT_TRUE(test::pumpUntil(mac, [&] { return status(*form).starts_with("Merci"); }));
    std::string body = server.requests().at(0).body;
    EXPECT_EQ(body.find("associated_event_id"), std::string::npos);
    std::string id = body.substr(body.find("\"event_id\":\"") + 12, 8);
    EXPECT_EQ(status(*form), "Merci ! Ton message a été envoyé. Référence : " + id);
    EXPECT_EQ(control<Label>(*form, "feedback-status")->colorRole(), ColorRole::green);
    EXPECT_TRUE(control<QPushButton>(*form, "send-feedback")->isHidden());
    EXPECT_FALSE(control<QComboBox>(*form, "feedback-kind")->isEnabled());
    EXPECT_TRUE(control<QPushButton>(*form, "contact-support")->isEnabled());
    ASSERT_TRUE(clickControl("close-feedback"));
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_FALSE(closed[0]);
    EXPECT_FALSE(SheetHost::hasAttachedSheet(&window));
}

TEST_F(FeedbackFormTest, TheFormOpensOnTheMessageAndGoesWithItsController)
{
    auto form = open({ FeedbackKind::bug, "Écran noir", "", "Erreur", "automatic_switching" });
    EXPECT_TRUE(SheetHost::hasAttachedSheet(&window));
    EXPECT_EQ(form->window()->focusWidget(), control<QPlainTextEdit>(*form, "feedback-message"));
    EXPECT_EQ(control<QPlainTextEdit>(*form, "feedback-message")->accessibleName().toStdString(),
        "Description de ton problème ou de ton idée");
    for (auto* field : form->window()->findChildren<QPlainTextEdit*>()) {
        EXPECT_EQ(field->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        EXPECT_EQ(field->document()->documentMargin(), 7);
    }
    EXPECT_EQ(control<QPushButton>(*form, "send-feedback")->y(), control<QPushButton>(*form, "close-feedback")->y())
        << "the buttons stand in one row";
    QPointer<QDialog> sheet = form->window();
    form.reset();
    EXPECT_FALSE(SheetHost::hasAttachedSheet(&window));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(sheet);
}

TEST_F(FeedbackFormTest, TheMessageShowsAScrollBarOnlyOnceItsTextOverflows)
{
    auto form = open({ FeedbackKind::improvement });
    auto* message = control<QPlainTextEdit>(*form, "feedback-message");
    EXPECT_FALSE(message->verticalScrollBar()->isVisible());
    message->setPlainText(QString("Une ligne\n").repeated(12));
    QApplication::processEvents();
    EXPECT_TRUE(message->verticalScrollBar()->isVisible());
}

TEST_F(FeedbackFormTest, AFailureKeepsEveryFieldAndUnlocksTheForm)
{
    server.script({ test::ScriptedReply::answering(500) });
    auto form = open({ FeedbackKind::bug, "Écran noir", "moi@exemple.fr", "Erreur", "automatic_switching" });
    int before = form->window()->height();
    clickControl("send-feedback");
    ASSERT_TRUE(test::pumpUntil(mac, [&] { return status(*form).starts_with("Le serveur"); }));
    EXPECT_EQ(control<Label>(*form, "feedback-status")->colorRole(), ColorRole::red);
    EXPECT_GT(form->window()->height(), before) << "the form grows with the failure's text";
    EXPECT_NE(server.requests().at(0).body.find("associated_event_id"), std::string::npos)
        << "a bug about an error names that error's report";
    EXPECT_TRUE(control<QPushButton>(*form, "send-feedback")->isEnabled());
    EXPECT_TRUE(control<QPushButton>(*form, "contact-support")->isEnabled());
    EXPECT_FALSE(control<QPlainTextEdit>(*form, "feedback-message")->isReadOnly());
    EXPECT_EQ(form->draft(), (FeedbackDraft { FeedbackKind::bug, "Écran noir", "moi@exemple.fr", "Erreur",
                                 "automatic_switching" }));
    clickControl("close-feedback");
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(closed[0], form->draft());
}

TEST_F(FeedbackFormTest, AnInvalidDraftIsRefusedInRedWithoutSending)
{
    auto form = open({ FeedbackKind::bug, std::string(4001, 'a') });
    clickControl("send-feedback");
    EXPECT_EQ(status(*form), "Raccourcis ton message : 4 000 caractères maximum et 2 000 pour l’erreur.");
    EXPECT_EQ(control<Label>(*form, "feedback-status")->colorRole(), ColorRole::red);
    EXPECT_TRUE(control<QPushButton>(*form, "close-feedback")->isEnabled());
    EXPECT_TRUE(control<QComboBox>(*form, "feedback-kind")->isEnabled());
    test::pumpFor(mac, 0.05);
    EXPECT_TRUE(server.requests().empty());

    // Only an address is still worth keeping.
    control<QPlainTextEdit>(*form, "feedback-message")->setPlainText(" \n");
    control<QLineEdit>(*form, "feedback-email")->setText("moi@exemple.fr");
    clickControl("close-feedback");
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_TRUE(closed[0]);
}

TEST_F(FeedbackFormTest, AFormOutlivingItsWindowIsReleasedQuietly)
{
    auto host = std::make_unique<QWidget>();
    host->show();
    auto form = std::make_unique<FeedbackWindowController>(FeedbackDraft { FeedbackKind::bug }, service);
    form->present(host.get());
    host.reset();
    EXPECT_EQ(form->window(), nullptr) << "the sheet went with its window";
    form.reset();
    EXPECT_TRUE(closed.empty());
}

TEST_F(FeedbackFormTest, TheErrorShowsOnlyForABugAboutAnError)
{
    auto fromMenu = open({ FeedbackKind::bug });
    QWidget* group = control<QWidget>(*fromMenu, "feedback-error-group");
    EXPECT_TRUE(group->isHidden());
    EXPECT_EQ(spaceUnderButtons(*fromMenu), 20);
    int withoutError = fromMenu->window()->height();
    control<QComboBox>(*fromMenu, "feedback-kind")->setCurrentIndex(1);
    control<QComboBox>(*fromMenu, "feedback-kind")->setCurrentIndex(0);
    EXPECT_TRUE(group->isHidden());
    clickControl("close-feedback");

    auto fromError = open({ FeedbackKind::bug, "", "", "Bureau introuvable", "project_displays" });
    group = control<QWidget>(*fromError, "feedback-error-group");
    EXPECT_FALSE(group->isHidden());
    EXPECT_EQ(test::stackGaps(group), std::vector<int> { 6 }) << "the error's title right above it";
    EXPECT_EQ(spaceUnderButtons(*fromError), 20);
    EXPECT_GT(fromError->window()->height(), withoutError + 74);
    EXPECT_EQ(fromError->window()->width(), 590);
    control<QComboBox>(*fromError, "feedback-kind")->setCurrentIndex(2);
    EXPECT_TRUE(group->isHidden());
    EXPECT_EQ(spaceUnderButtons(*fromError), 20);
    EXPECT_EQ(fromError->window()->height(), withoutError);
    EXPECT_EQ(control<Label>(*fromError, "feedback-prompt")->text(),
        "Quelle fonctionnalité te manque et à quoi te servirait-elle ?");
}

TEST_F(FeedbackFormTest, ReturnInTheAddressPressesNoButtonAndTabLeavesTheMessageUntouched)
{
    auto form = open({ FeedbackKind::bug, "Bonjour", "", "", "automatic_switching" });
    QApplication::setActiveWindow(form->window());
    auto* email = control<QLineEdit>(*form, "feedback-email");
    email->setFocus();
    std::size_t logged = mac.mac().log().lines().size();
    QTest::keyClick(email, Qt::Key_Return);
    EXPECT_EQ(mac.mac().log().lines().size(), logged) << "no mail opened, nothing sent";
    EXPECT_TRUE(closed.empty());
    EXPECT_TRUE(control<QPushButton>(*form, "send-feedback")->isEnabled());

    auto* message = form->window()->findChildren<QPlainTextEdit*>().front();
    message->setFocus();
    QTest::keyClick(message, Qt::Key_Tab);
    EXPECT_EQ(message->toPlainText(), "Bonjour");
    EXPECT_FALSE(message->hasFocus());
}

TEST_F(FeedbackFormTest, TheSupportLinkCarriesTheTextsIntact)
{
    std::string message = "a&b=c#d%e+f?g\nligne 2 é";
    auto form = open({ FeedbackKind::bug, message, "", "Erreur & 100%", "automatic_switching" });
    clickControl("contact-support");
    ASSERT_FALSE(mac.mac().log().lines().empty());
    std::string line = mac.mac().log().lines().back();
    ASSERT_TRUE(line.starts_with("open-url url=mailto:support@pellamor.app?")) << line;
    QUrl url(QString::fromStdString(line.substr(std::string("open-url url=").size())));
    QUrlQuery query(url);
    EXPECT_EQ(query.queryItemValue("subject", QUrl::FullyDecoded).toStdString(), "Pellamor — Signaler un bug");
    EXPECT_EQ(query.queryItemValue("body", QUrl::FullyDecoded).toStdString(), message + "\n\nErreur & 100%");
    EXPECT_TRUE(SheetHost::hasAttachedSheet(&window));

    EXPECT_EQ(FeedbackWindowController::supportURL(FeedbackKind::feature, "x", "ignorée"),
        "mailto:support@pellamor.app?subject=Pellamor%20%E2%80%94%20Demander%20une%20fonctionnalit%C3%A9&body=x");
}

} // namespace
} // namespace pellamor
