#include "ui/AppearanceSurface.h"
#include "ui/AssistantAppIcon.h"
#include "ui/DragSession.h"
#include "ui/DraggingInfo.h"
#include "ui/Label.h"
#include "ui/PlainText.h"
#include "ui/SymbolButton.h"
#include "ui/SymbolRegistry.h"
#include "ui/SymbolView.h"
#include "support/TemporaryDirectory.h"
#include "support/TestMac.h"
#include "support/WidgetApplication.h"

#include <QFontMetrics>
#include <QImage>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

class InterfaceKitTest : public ::testing::Test {
protected:
    test::WidgetApplication application;
    test::TestMac mac;
};

QColor centrePixel(QWidget& widget)
{
    QImage image = widget.grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

TEST_F(InterfaceKitTest, SurfaceBorderOnlyWithOutlineAndAtItsOpacity)
{
    AppearanceSurface plain({ ColorRole::controlBackground }, 12);
    EXPECT_EQ(plain.borderWidth(), 0);
    EXPECT_FALSE(plain.resolvedBorderColor());

    AppearanceSurface outlined({ ColorRole::controlBackground }, 12, DynamicColor { ColorRole::accent }, 0.35);
    EXPECT_EQ(outlined.borderWidth(), 1);
    ASSERT_TRUE(outlined.resolvedBorderColor());
    EXPECT_NEAR(outlined.resolvedBorderColor()->alphaF(), 0.35, 0.01);
}

TEST_F(InterfaceKitTest, CardsRedrawInTheNewAppearance)
{
    std::unique_ptr<AppearanceSurface> card(AppInterface::card(new QWidget));
    card->resize(120, 80);
    EXPECT_EQ(card->cornerRadius(), 12);
    QColor light = centrePixel(*card);
    mac.world().darkAppearance = true;
    ColorTable::appearanceChanged();
    QColor dark = centrePixel(*card);
    EXPECT_EQ(light, ColorTable::color(ColorRole::controlBackground, Appearance::light));
    EXPECT_EQ(dark, ColorTable::color(ColorRole::controlBackground, Appearance::dark));
}

TEST_F(InterfaceKitTest, ABrandedHeaderShowsTheIconAndFallsBackToTheSymbolWithoutIt)
{
    std::unique_ptr<QWidget> branded(AppInterface::header("Titre", "Sous-titre", "display.2", true));
    auto* badge = branded->findChild<AppearanceSurface*>("header-badge");
    ASSERT_NE(badge, nullptr);
    ASSERT_TRUE(AppInterface::brandImage()) << "the bundle's AppIcon.png";
    EXPECT_EQ(badge->fillColor, (DynamicColor { ColorRole::clear }));
    EXPECT_EQ(badge->findChild<SymbolView*>()->accessibleName(), "Pellamor");
    EXPECT_EQ(badge->size(), QSize(46, 46));

    test::TemporaryDirectory emptyBundle;
    mac.mac().setResourcesDirectory(emptyBundle.path());
    EXPECT_FALSE(AppInterface::brandImage());
    std::unique_ptr<QWidget> fallback(AppInterface::header("Titre", "Sous-titre", "display.2", true));
    badge = fallback->findChild<AppearanceSurface*>("header-badge");
    EXPECT_EQ(badge->fillColor, (DynamicColor { ColorRole::accent, 0.08 }));
    EXPECT_FALSE(badge->findChild<SymbolView*>()->isEmpty());

    std::unique_ptr<QWidget> unknown(AppInterface::header("Titre", "", "no.such.symbol", false));
    auto* picture = unknown->findChild<SymbolView*>();
    ASSERT_NE(picture, nullptr);
    EXPECT_TRUE(picture->isEmpty());
    EXPECT_TRUE(SymbolRegistry::image("no.such.symbol", 12, Qt::black).isNull());
}

TEST_F(InterfaceKitTest, TheAssistantsIconIsItsSymbolDescribedByItsName)
{
    AssistantAppIcon icon = assistantAppIcon(AssistantApp::claude, 16, Qt::black);
    EXPECT_FALSE(icon.image.isNull());
    EXPECT_EQ(icon.accessibilityDescription, "Claude");
}

TEST_F(InterfaceKitTest, EverySymbolTheViewsNameHasAGlyph)
{
    for (const char* name :
        { "accessibility", "app", "arrow.clockwise", "bubble.left.and.bubble.right.fill", "checkmark",
            "checkmark.circle.fill", "chevron.down", "chevron.down.2", "chevron.right", "chevron.up", "chevron.up.2",
            "circle.fill", "display", "display.2", "ellipsis", "exclamationmark.circle.fill", "eye", "hand.raised",
            "info.circle", "macwindow", "plus", "rectangle.3.group", "rectangle.stack", "sparkles", "xmark" }) {
        EXPECT_TRUE(SymbolRegistry::glyph(name)) << name;
        EXPECT_FALSE(SymbolRegistry::image(name, 12, Qt::black).isNull()) << name;
    }
}

TEST_F(InterfaceKitTest, OutsideTextStaysPlain)
{
    std::unique_ptr<Label> label(AppInterface::label("<b>Projet</b> & co", 12, FontWeight::medium, true));
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->text(), "<b>Projet</b> & co");
    EXPECT_EQ(label->colorRole(), ColorRole::secondaryLabel);
    EXPECT_TRUE(label->wordWrap());
    EXPECT_EQ(PlainText::title("R&D"), QStringLiteral("R&&D"));
    EXPECT_EQ(PlainText::toolTip("<i>a</i>\nb"), QStringLiteral("<qt>&lt;i&gt;a&lt;/i&gt;<br>b</qt>"));
    EXPECT_TRUE(PlainText::toolTip("").isEmpty());
}

TEST_F(InterfaceKitTest, AOneLineTextThatDoesNotFitEndsInAnEllipsis)
{
    auto drawn = [](const std::string& text, bool wraps) {
        Label label(text);
        label.setWrapping(wraps);
        label.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        label.resize(90, 20);
        return label.grab().toImage();
    };
    const std::string whole = "Toutes les fenêtres · 100";
    QString elided = QFontMetrics(Label().font()).elidedText(QString::fromStdString(whole), Qt::ElideRight, 90);
    ASSERT_TRUE(elided.endsWith(QChar(0x2026)));
    EXPECT_EQ(drawn(whole, false), drawn(elided.toStdString(), false));
    EXPECT_EQ(drawn("Court", false), drawn("Court", true)) << "a text that fits is drawn as it stands";
}

TEST_F(InterfaceKitTest, AQuoteMarkNeverEndsOrStartsALineAwayFromItsWord)
{
    const std::string text = "L’interrupteur « Suivi automatique » est en haut de « Configurer les écrans »";
    Label label(text);
    QStringList broken;
    for (int width = 60; width <= 400; ++width) {
        label.resize(width, 200);
        QStringList lines = label.shownLines();
        for (const QString& line : lines) {
            if (line.endsWith(QChar(0x00AB)) || line.startsWith(QChar(0x00BB)))
                broken.push_back(QString::number(width) + ": " + lines.join('|'));
        }
        // What is drawn, and measured for the label's height, breaks where the shown lines do.
        if (label.heightForWidth(width) != Label(lines.join('\n').toStdString()).heightForWidth(width))
            broken.push_back(QString::number(width) + ": height of " + lines.join('|'));
    }
    EXPECT_TRUE(broken.isEmpty()) << broken.join('\n').toStdString();
    EXPECT_EQ(label.text(), text) << "the text itself is kept as given";
}

TEST_F(InterfaceKitTest, AButtonAskedToTruncateShortensItsTitleToItsWidthAndOnlyThen)
{
    const std::string whole = "Visual Studio Code · 12";
    SymbolButton button(whole);
    button.setSymbol("chevron.down", 10);
    button.resize(300, 23);
    button.setTruncatesTail(true);
    button.show();
    EXPECT_EQ(button.text().toStdString(), whole);
    button.resize(90, 23);
    EXPECT_TRUE(button.text().endsWith(QChar(0x2026))) << button.text().toStdString();
    EXPECT_EQ(button.title(), whole);
    button.resize(300, 23);
    EXPECT_EQ(button.text().toStdString(), whole);

    SymbolButton plain(whole);
    plain.resize(90, 23);
    plain.show();
    EXPECT_EQ(plain.text().toStdString(), whole) << "other buttons keep their title as it stands";
}

TEST_F(InterfaceKitTest, StacksLayOutInTheirDirectionAndHiddenViewsTakeNoSpace)
{
    auto* first = new QWidget;
    auto* hidden = new QWidget;
    auto* last = new QWidget;
    for (QWidget* view : { first, hidden, last })
        view->setFixedHeight(20);
    hidden->hide();
    std::unique_ptr<QWidget> column(AppInterface::stack({ first, hidden, last }, true, 10));
    column->resize(200, column->sizeHint().height());
    column->show();
    EXPECT_EQ(last->y() - first->y(), 30);
    EXPECT_EQ(first->width(), 200);
    EXPECT_EQ(AppInterface::spacer()->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
}

TEST_F(InterfaceKitTest, AnItemKeptForThisApplicationOffersOtherApplicationsNoTypeButReadsAsBeforeHere)
{
    QMimeData original;
    original.setData("fr.local.pellamor.window", "TOKEN:4711:93");
    ApplicationOnlyMimeData kept(original);
    EXPECT_TRUE(kept.formats().isEmpty()) << "what the system hands to other applications' targets";
    EXPECT_TRUE(kept.hasFormat("fr.local.pellamor.window"));
    EXPECT_FALSE(kept.hasFormat("text/plain"));
    QWidget source;
    DraggingInfo info = draggingInfo(&kept, &source);
    EXPECT_EQ(info.types, QStringList { "fr.local.pellamor.window" });
    EXPECT_EQ(info.string("fr.local.pellamor.window"), "TOKEN:4711:93");
    EXPECT_EQ(draggingInfo(&original, &source).types, info.types);
}

} // namespace
} // namespace pellamor
