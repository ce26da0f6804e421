#include "app/WindowSnapshot.h"
#include "ui/SheetHost.h"
#include "support/WidgetApplication.h"

#include <QMainWindow>
#include <QMenuBar>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

QWidget* filled(QWidget* widget, Qt::GlobalColor colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
    return widget;
}

TEST(WindowSnapshotTest, TheAttachedSheetIsDrawnCentredUnderTheMenuBarUntilItEnds)
{
    test::ensureWidgetApplication();
    QMainWindow window;
    window.setMenuBar(new QMenuBar);
    window.menuBar()->addMenu("Pellamor");
    window.setCentralWidget(filled(new QWidget, Qt::red));
    window.resize(400, 300);
    window.show();
    int top = window.menuWidget()->height();
    EXPECT_EQ(windowSnapshot(&window).pixelColor(200, top + 10), QColor(Qt::red));

    SheetDialog sheet;
    filled(&sheet, Qt::blue);
    sheet.resize(200, 100);
    ASSERT_TRUE(SheetHost::beginSheet(&window, &sheet));
    QImage picture = windowSnapshot(&window);
    EXPECT_EQ(picture.size(), window.size() * picture.devicePixelRatio());
    EXPECT_EQ(picture.pixelColor(200, top + 10), QColor(Qt::blue));
    EXPECT_EQ(picture.pixelColor(200, top + 95), QColor(Qt::blue));
    EXPECT_EQ(picture.pixelColor(200, top + 130), QColor(Qt::red));
    EXPECT_EQ(picture.pixelColor(60, top + 50), QColor(Qt::red));

    SheetHost::endSheet(&sheet);
    EXPECT_EQ(windowSnapshot(&window).pixelColor(200, top + 10), QColor(Qt::red));
}

} // namespace
} // namespace pellamor
