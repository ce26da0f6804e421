#include "overview/WindowHoverPreview.h"

#include "support/TestMac.h"
#include "support/WidgetApplication.h"
#include "support/WorldBuilder.h"
#include "ui/Label.h"
#include "windows/WindowPreviewGeometry.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <limits>

namespace pellamor {
namespace {

class WindowHoverPreviewTest : public ::testing::Test {
protected:
    test::WidgetApplication application;
    test::TestMac mac { test::world().display("D1", { 11 }).application(300, "com.example.notes", "Notes") };
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    QWidget* anchor = new QWidget(window.get());
    WindowHoverPreview preview;
    DesktopWindow record { 40, 300, "Notes", "com.example.notes", "Courses de la semaine", QRectF(0, 0, 1600, 1000),
        { 11 }, "liste.txt", std::nullopt };

    void SetUp() override
    {
        window->resize(800, 600);
        anchor->setGeometry(100, 100, 200, 76);
        window->show();
    }
    void show(QPointF pointer = QPointF(150, 120), std::optional<QImage> image = std::nullopt)
    {
        preview.show(record, image, anchor, "Aperçu en cours…", pointer);
    }
    QImage picture() const
    {
        QImage image(160, 100, QImage::Format_ARGB32);
        image.fill(Qt::darkCyan);
        return image;
    }
    bool shown() const { return preview.surface() && preview.surface()->parentWidget() == window.get(); }
    bool showsLabel(const std::string& text) const
    {
        auto labels = preview.surface()->findChildren<Label*>();
        return std::any_of(
            labels.begin(), labels.end(), [&](Label* label) { return label->isVisible() && label->text() == text; });
    }
};

TEST_F(WindowHoverPreviewTest, TheCardIsPlacedBesideTheAnchorAndFilled)
{
    show();
    ASSERT_TRUE(shown());
    EXPECT_EQ(preview.representedWindowID(), 40u);
    // Room after the anchor only; the 16:10 window gives 225 points of image.
    EXPECT_EQ(preview.surface()->geometry(), QRect(4, 176, 384, 351));
    EXPECT_EQ(preview.applicationText(), "Notes");
    EXPECT_EQ(preview.titleText(), "Courses de la semaine");
    EXPECT_EQ(preview.detailsText(), "1600 × 1000 · liste.txt");
    EXPECT_TRUE(showsLabel("1600 × 1000 · liste.txt")) << "the details line reads its text";
    // The running application's icon, a coloured tile, stands in its place.
    QImage drawn = preview.surface()->grab().toImage();
    QRect icon = WindowPreviewGeometry::layout(QSizeF(384, 351)).appIcon.toAlignedRect();
    bool coloured = false;
    for (int y = icon.top(); y <= icon.bottom(); ++y)
        for (int x = icon.left(); x <= icon.right(); ++x)
            coloured = coloured || drawn.pixelColor(x, y).hslSaturation() > 80;
    EXPECT_TRUE(coloured);
    EXPECT_FALSE(preview.showsImage());

    // Shown again with unchanged geometry, the card keeps its place wherever the pointer is now.
    record.title = "Courses";
    show(QPointF(290, 170), picture());
    EXPECT_EQ(preview.surface()->geometry(), QRect(4, 176, 384, 351));
    EXPECT_EQ(preview.titleText(), "Courses");
    EXPECT_TRUE(showsLabel("Courses")) << "the kept card reads the new title";
    EXPECT_TRUE(preview.showsImage());
}

TEST_F(WindowHoverPreviewTest, TheImageIsDrawnEnlargedToFitSmoothedAndCentred)
{
    // The window is 16:10; a square image fits the height of its place and stands in the middle.
    QImage square(100, 100, QImage::Format_ARGB32);
    square.fill(Qt::darkCyan);
    show(QPointF(150, 120), square);
    ASSERT_TRUE(shown());
    QImage drawn = preview.surface()->grab().toImage();
    QRect cyan;
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            if (drawn.pixelColor(x, y) == QColor(Qt::darkCyan))
                cyan |= QRect(x, y, 1, 1);
    EXPECT_EQ(cyan.size(), QSize(225, 225));
    EXPECT_NEAR(cyan.left(), drawn.width() - 1 - cyan.right(), 1);

    // Smoothed: where a black half meets a white one, greys are drawn between.
    QImage halves(160, 100, QImage::Format_ARGB32);
    halves.fill(Qt::black);
    for (int y = 0; y < halves.height(); ++y)
        for (int x = 80; x < halves.width(); ++x)
            halves.setPixelColor(x, y, Qt::white);
    show(QPointF(150, 120), halves);
    drawn = preview.surface()->grab().toImage();
    const int row = cyan.center().y();
    bool grey = false;
    for (int x = cyan.left(); x <= cyan.right(); ++x) {
        QColor colour = drawn.pixelColor(x, row);
        grey = grey || (colour.red() > 40 && colour.red() < 215 && colour.red() == colour.blue());
    }
    EXPECT_TRUE(grey);
}

TEST_F(WindowHoverPreviewTest, LongTextsKeepTheirLinesAndEndInAnEllipsis)
{
    record.application = std::string(60, 'N');
    record.title = "";
    for (int word = 0; word < 80; ++word)
        record.title += "courses ";
    show();
    ASSERT_TRUE(shown());
    std::vector<QStringList> lines;
    for (Label* label : preview.surface()->findChildren<Label*>())
        if (label->isVisible())
            lines.push_back(QString::fromStdString(label->text()).split('\n'));
    auto application
        = std::find_if(lines.begin(), lines.end(), [](const QStringList& text) { return text[0].startsWith("NNN"); });
    auto title = std::find_if(
        lines.begin(), lines.end(), [](const QStringList& text) { return text[0].startsWith("courses"); });
    ASSERT_NE(application, lines.end());
    ASSERT_NE(title, lines.end());
    EXPECT_EQ(application->size(), 1);
    EXPECT_TRUE(application->back().endsWith(QChar(0x2026)));
    EXPECT_EQ(title->size(), 3);
    EXPECT_TRUE(title->back().endsWith(QChar(0x2026)));
    EXPECT_EQ(preview.titleText(), record.title) << "the whole title stays known";
}

TEST_F(WindowHoverPreviewTest, ImagesReachOnlyTheCardOfTheirWindowWhileItsGeometryHolds)
{
    show();
    preview.setImage(picture(), 41);
    EXPECT_FALSE(preview.showsImage());
    preview.setImage(picture(), 40);
    EXPECT_TRUE(preview.showsImage());
    window->resize(820, 600);
    preview.setImage(picture(), 40);
    EXPECT_FALSE(preview.representedWindowID());
    EXPECT_FALSE(shown());
    EXPECT_EQ(preview.titleText(), "");
    EXPECT_EQ(preview.applicationText(), "");
    EXPECT_EQ(preview.detailsText(), "");
}

TEST_F(WindowHoverPreviewTest, NoCardWhereItCannotBeSoundlyPlaced)
{
    anchor->hide();
    show();
    EXPECT_FALSE(preview.representedWindowID());
    anchor->show();
    window->resize(247, 600);
    anchor->setGeometry(0, 100, 200, 76);
    show();
    EXPECT_FALSE(shown());
    window->resize(248, 600);
    show();
    EXPECT_TRUE(shown()) << "240 points within the margins are enough";
    EXPECT_EQ(preview.surface()->width(), 240);
    window->resize(800, 304);
    show();
    EXPECT_FALSE(shown());
    window->resize(800, 600);
    anchor->move(900, 100);
    show();
    EXPECT_FALSE(shown()) << "an anchor scrolled out of its window shows nothing";
}

TEST_F(WindowHoverPreviewTest, UnusableWindowSizesAreShownAsZero)
{
    record.frame = QRectF(0, 0, std::numeric_limits<double>::quiet_NaN(), 1e300);
    record.documentName.reset();
    show();
    ASSERT_TRUE(shown());
    EXPECT_EQ(preview.detailsText(), "0 × 1000000000000000");
    EXPECT_EQ(preview.surface()->height(), 126 + 216) << "a shape that is not a number counts as 0.6 high";
}

TEST(WindowHoverPreviewLifetimeTest, DestroyingThePreviewTakesItsCardOutOfTheHost)
{
    test::WidgetApplication application;
    test::TestMac mac;
    QWidget window;
    window.resize(800, 600);
    auto* anchor = new QWidget(&window);
    anchor->setGeometry(100, 100, 200, 76);
    window.show();
    {
        WindowHoverPreview preview;
        preview.show(DesktopWindow { 40, 300, "Notes", std::nullopt, "Notes", QRectF(0, 0, 800, 600), { 11 },
                         std::nullopt, std::nullopt },
            std::nullopt, anchor, "", QPointF(150, 120));
        ASSERT_TRUE(window.findChild<QWidget*>("window-hover-preview"));
    }
    EXPECT_FALSE(window.findChild<QWidget*>("window-hover-preview"));
}

TEST_F(WindowHoverPreviewTest, AHostThatTakesTheCardDownIsSurvived)
{
    show();
    window.reset();
    auto other = std::make_unique<QWidget>();
    other->resize(800, 600);
    anchor = new QWidget(other.get());
    anchor->setGeometry(100, 100, 200, 76);
    other->show();
    show();
    ASSERT_TRUE(preview.surface());
    EXPECT_EQ(preview.surface()->parentWidget(), other.get());
}

} // namespace
} // namespace pellamor
