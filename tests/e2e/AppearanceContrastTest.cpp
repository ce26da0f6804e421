#include "app/MainWindow.h"
#include "e2e/ShellFixture.h"
#include "ui/ColorTable.h"
#include "ui/SegmentedControl.h"

#include <QImage>
#include <QLabel>
#include <QTabWidget>
#include <QToolButton>
#include <cmath>
#include <map>

namespace pellamor::test {
namespace {

double luminance(QColor colour)
{
    auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

double contrast(QColor first, QColor second)
{
    double a = luminance(first);
    double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// What a person sees of a label: the most frequent colour of its area is what lies behind the text, the pixel
// standing out most from it is the text.
double visibleContrast(const QImage& image, QRect area)
{
    std::map<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb background = std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
        return a.second < b.second;
    })->first;
    double best = 1;
    for (const auto& [pixel, count] : counts)
        best = std::max(best, contrast(QColor(pixel), QColor(background)));
    return best;
}

class AppearanceContrastTest : public ShellFixture, public ::testing::WithParamInterface<bool> {
protected:
    ~AppearanceContrastTest() override
    {
        mac.world().darkAppearance = false;
        ColorTable::appearanceChanged();
    }
};

TEST_P(AppearanceContrastTest, EveryLabelOfEveryTabStandsOutFromWhatIsBehindIt)
{
    mac.world().darkAppearance = GetParam();
    ColorTable::appearanceChanged();
    launch();
    for (const char* tab : { "windows", "screens", "privacy" }) {
        selectTab(delegate->tabs, tab);
        mac.advance(0.01);
        QImage image = delegate->window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int checked = 0;
        for (QLabel* label : delegate->window->findChildren<QLabel*>()) {
            if (!label->isVisibleTo(delegate->window.get()) || label->text().isEmpty() || !label->pixmap().isNull())
                continue;
            QRect area(label->mapTo(delegate->window.get(), QPoint(0, 0)), label->size());
            area &= image.rect();
            if (area.isEmpty())
                continue;
            ++checked;
            EXPECT_GE(visibleContrast(image, area), 3.0)
                << tab << ": \"" << label->text().toStdString() << "\" (" << label->objectName().toStdString() << ")";
        }
        EXPECT_GT(checked, 2) << tab;
    }
}

TEST_P(AppearanceContrastTest, TheImageOfTheSelectedSegmentStandsOutFromTheSelection)
{
    mac.world().darkAppearance = GetParam();
    ColorTable::appearanceChanged();
    launch();
    selectTab(delegate->tabs, "screens");
    mac.advance(0.01);
    auto* picker = delegate->window->findChild<SegmentedControl*>();
    ASSERT_TRUE(picker);
    QToolButton* segment = picker->segmentButton(picker->selectedSegment());
    ASSERT_FALSE(segment->icon().isNull());
    QImage image = segment->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The image comes first, before the title, inside the segment's edge.
    QRect area(3, 3, segment->iconSize().width(), segment->height() - 6);
    EXPECT_GE(visibleContrast(image, area), 3.0);
}

INSTANTIATE_TEST_SUITE_P(LightAndDark, AppearanceContrastTest, ::testing::Values(false, true),
    [](const auto& info) { return info.param ? "dark" : "light"; });

} // namespace
} // namespace pellamor::test
