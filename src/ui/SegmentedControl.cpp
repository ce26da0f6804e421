#include "ui/SegmentedControl.h"

#include "ui/ColorTable.h"
#include "ui/PlainText.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QPainter>
#include <QPalette>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QToolButton>

namespace pellamor {
namespace {

// The image's shape in one colour.
QPixmap inColour(QPixmap shape, const QColor& colour)
{
    QPainter painter(&shape);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(shape.rect(), colour);
    return shape;
}

class Segment : public QToolButton {
protected:
    void paintEvent(QPaintEvent*) override
    {
        QPalette colours = palette();
        ColorTable::markSelection(colours, isChecked());
        setPalette(colours);
        QStylePainter painter(this);
        QStyleOptionToolButton option;
        initStyleOption(&option);
        // The image is drawn in the title's colour, which reads on the selection's tint in either appearance.
        if (!option.icon.isNull()) {
            QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
            QPixmap shape = inColour(
                option.icon.pixmap(iconSize(), devicePixelRatioF()), option.palette.color(group, QPalette::ButtonText));
            option.icon = QIcon();
            option.icon.addPixmap(shape, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        }
        painter.drawComplexControl(QStyle::CC_ToolButton, option);
    }
};

} // namespace

SegmentedControl::SegmentedControl(const std::vector<std::string>& labels, QWidget* parent)
    : QWidget(parent)
    , group_(new QButtonGroup(this))
{
    group_->setExclusive(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const std::string& title : labels) {
        auto* button = new Segment;
        button->setCheckable(true);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setText(PlainText::title(title));
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        button->setMinimumHeight(30);
        group_->addButton(button, static_cast<int>(segments_.size()));
        layout->addWidget(button);
        segments_.push_back(button);
    }
    connect(group_, &QButtonGroup::idClicked, this, [this](int) {
        if (onAction)
            onAction();
    });
}

int SegmentedControl::selectedSegment() const
{
    return group_->checkedId();
}

void SegmentedControl::setSelectedSegment(int segment)
{
    if (segment >= 0 && segment < segmentCount()) {
        segments_[static_cast<std::size_t>(segment)]->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; lifting the rule for a moment clears it.
    group_->setExclusive(false);
    for (QToolButton* button : segments_)
        button->setChecked(false);
    group_->setExclusive(true);
}

void SegmentedControl::setLabel(const std::string& label, int segment)
{
    segmentButton(segment)->setText(PlainText::title(label));
}

std::string SegmentedControl::label(int segment) const
{
    return segmentButton(segment)->text().replace("&&", "&").toStdString();
}

void SegmentedControl::setImage(const QPixmap& image, int segment)
{
    QToolButton* button = segmentButton(segment);
    button->setIcon(QIcon(image));
    button->setIconSize(image.size());
}

void SegmentedControl::setEnabled(bool enabled, int segment)
{
    segmentButton(segment)->setEnabled(enabled);
}

bool SegmentedControl::isEnabled(int segment) const
{
    return segmentButton(segment)->isEnabled();
}

void SegmentedControl::setWidth(int width, int segment)
{
    segmentButton(segment)->setFixedWidth(width);
}

void SegmentedControl::setAccessibilityLabel(const std::string& text)
{
    setAccessibleName(QString::fromStdString(text));
}

QToolButton* SegmentedControl::segmentButton(int segment) const
{
    return segments_.at(static_cast<std::size_t>(segment));
}

} // namespace pellamor
