#include "setup/ProjectDisplayDropView.h"
#include "setup/SetupPermissionStatusView.h"
#include "setup/SetupPrimaryButton.h"
#include "setup/WindowDragType.h"
#include "ui/SymbolRegistry.h"
#include "ui/SystemFont.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QFontMetricsF>
#include <QImage>
#include <QMimeData>
#include <gtest/gtest.h>
#include <memory>

namespace pellamor {
namespace {

class SetupControlsTest : public ::testing::Test {
protected:
    test::WidgetApplication application;
    test::TestMac mac;
};

DraggingInfo drag(const char* type)
{
    DraggingInfo info;
    info.types = QStringList { QString::fromLatin1(type) };
    return info;
}

TEST_F(SetupControlsTest, APermissionRowStartsMissingAndIgnoresARepeatedState)
{
    SetupPermissionStatusView row("Aperçus", "eye", "Autoriser les aperçus…");
    EXPECT_EQ(row.currentAuthorization(), false);
    EXPECT_EQ(row.statusSymbol(), "exclamationmark.circle.fill");
    EXPECT_EQ(row.toolTip().contains(QStringLiteral("Aperçus · À activer · Autoriser les aperçus…")), true);
    EXPECT_EQ(row.accessibleName(), QStringLiteral("Aperçus · À activer · Autoriser les aperçus…"));

    row.update(true);
    EXPECT_EQ(row.summary(), "Aperçus · Autorisé · Réglages…");
    EXPECT_EQ(row.statusSymbol(), "checkmark.circle.fill");
    row.setAccessibleName("changed elsewhere");
    row.update(true);
    EXPECT_EQ(row.accessibleName(), QStringLiteral("changed elsewhere"));

    SetupPermissionStatusView empty("", "eye", "");
    EXPECT_EQ(empty.preferredWidth(), 54);
}

TEST_F(SetupControlsTest, ADisabledPermissionRowDoesNothingWhenActivated)
{
    SetupPermissionStatusView row("Accessibilité", "accessibility", "Accessibilité…");
    int calls = 0;
    row.onAction = [&] { ++calls; };
    row.click();
    EXPECT_EQ(calls, 1);
    row.setEnabled(false);
    row.activate();
    EXPECT_EQ(calls, 1);
}

TEST_F(SetupControlsTest, TheDisabledPrimaryButtonDrawsItsFaintestWhateverItsState)
{
    SetupPrimaryButton button("Configurer un projet");
    EXPECT_DOUBLE_EQ(button.fillColor().alpha, 0.045);
    button.setOn(true);
    EXPECT_DOUBLE_EQ(button.fillColor().alpha, 0.11);
    EXPECT_DOUBLE_EQ(button.strokeColor().alpha, 0.24);
    button.setEnabled(false);
    EXPECT_DOUBLE_EQ(button.fillColor().alpha, 0.02);
    EXPECT_DOUBLE_EQ(button.strokeColor().alpha, 0.06);
    // Its title and symbol fit with room on both sides.
    EXPECT_EQ(button.sizeHint(), QSize(static_cast<int>(textWidth("Configurer un projet", button.font())) + 52, 34));
}

TEST_F(SetupControlsTest, ThePrimaryButtonDrawsItsSymbolAtFourteenPoints)
{
    SetupPrimaryButton button("Configurer un projet");
    button.setSymbol("plus");
    button.resize(200, 34);
    QImage drawn = button.grab().toImage();
    // The ink left of the title, against the fill beside it.
    QColor fill = drawn.pixelColor(33, 17);
    QRect ink;
    for (int y = 3; y < 31; ++y) {
        for (int x = 3; x < 34; ++x) {
            QColor at = drawn.pixelColor(x, y);
            if (std::abs(at.lightness() - fill.lightness()) > 60)
                ink |= QRect(x, y, 1, 1);
        }
    }
    QFont symbols = SymbolRegistry::font(14);
    symbols.setPixelSize(14);
    symbols.setWeight(QFont::DemiBold);
    QRectF glyph = QFontMetricsF(symbols).tightBoundingRect(*SymbolRegistry::glyph("plus"));
    EXPECT_NEAR(ink.width(), glyph.width(), 1.0);
    EXPECT_NEAR(ink.height(), glyph.height(), 1.0);
    EXPECT_NEAR(ink.center().x(), 21, 1.5);
    EXPECT_NEAR(ink.center().y(), 17, 1.5);
}

TEST_F(SetupControlsTest, ADropViewReportsOneHoverStartAndEndPerDragAndHighlightsWhatItAccepts)
{
    ProjectDisplayDropView card("D1");
    std::vector<bool> hovers;
    bool accept = false;
    card.onDragHover = [&](bool hovering) { hovers.push_back(hovering); };
    card.accepts = [&](const DraggingInfo&) { return accept; };
    EXPECT_FALSE(card.draggingUpdated(drag(windowDragType)));
    accept = true;
    EXPECT_TRUE(card.draggingUpdated(drag(windowDragType)));
    EXPECT_TRUE(card.draggingUpdated(drag(windowDragType)));
    EXPECT_TRUE(card.highlighted());
    card.draggingExited();
    card.draggingExited();
    EXPECT_EQ(hovers, std::vector<bool>({ true, false }));
    EXPECT_FALSE(card.highlighted());

    // A foreign drag is never reported as a hover, yet the highlight follows the answer.
    hovers.clear();
    EXPECT_TRUE(card.draggingUpdated(drag("public.file-url")));
    EXPECT_TRUE(hovers.empty());
}

TEST_F(SetupControlsTest, ADropViewWithoutItsClosuresRefusesAndARemovedOneEndsItsHover)
{
    auto parent = std::make_unique<QWidget>();
    auto* card = new ProjectDisplayDropView("D1", parent.get());
    card->accepts = [](const DraggingInfo&) { return true; };
    EXPECT_TRUE(card->prepareForDragOperation(drag(windowDragType)));
    EXPECT_FALSE(card->performDragOperation(drag(windowDragType)));

    std::vector<bool> hovers;
    card->onDragHover = [&](bool hovering) { hovers.push_back(hovering); };
    card->draggingUpdated(drag(windowDragType));
    card->setParent(nullptr);
    EXPECT_EQ(hovers, std::vector<bool>({ true, false }));
    delete card;
    EXPECT_EQ(hovers.size(), 2u);
}

TEST_F(SetupControlsTest, ADropViewAnswersQtsDragEventsAsItsOwnerDoes)
{
    QWidget parent;
    auto* card = new ProjectDisplayDropView("D1", &parent);
    card->setGeometry(0, 0, 200, 100);
    std::vector<bool> hovers;
    bool accept = true;
    bool taken = true;
    card->onDragHover = [&](bool hovering) { hovers.push_back(hovering); };
    card->accepts = [&](const DraggingInfo&) { return accept; };
    card->onDrop = [&](const DraggingInfo&) { return taken; };
    QMimeData data;
    data.setData(QString::fromLatin1(windowDragType), "TOKEN:1:2");
    auto answer = [](const QDropEvent& event) { return event.isAccepted() && event.dropAction() == Qt::MoveAction; };
    auto enter = [&] {
        QDragEnterEvent event(QPoint(20, 20), Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(card, &event);
        return answer(event);
    };
    auto move = [&] {
        // Qt hands a movement over already taken when the last one was.
        QDragMoveEvent event(QPoint(30, 20), Qt::MoveAction, &data, Qt::LeftButton, {});
        event.accept();
        QCoreApplication::sendEvent(card, &event);
        return answer(event);
    };
    auto drop = [&] {
        QDropEvent event(QPointF(30, 20), Qt::MoveAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(card, &event);
        return answer(event);
    };

    EXPECT_TRUE(enter());
    accept = false;
    EXPECT_FALSE(move());
    EXPECT_FALSE(card->highlighted());
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(card, &leave);
    EXPECT_EQ(hovers, std::vector<bool>({ true, false }));

    accept = true;
    EXPECT_TRUE(enter());
    EXPECT_TRUE(move());
    taken = false;
    EXPECT_FALSE(drop()) << "the owner refused it";
    EXPECT_FALSE(card->dragHovered());
    taken = true;
    EXPECT_TRUE(enter());
    EXPECT_TRUE(drop());
}

} // namespace
} // namespace pellamor
