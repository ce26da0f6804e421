// A row of segments of which one at most is selected; a click on an enabled segment selects it and calls
// `onAction`.
#pragma once

#include <QPixmap>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

class QButtonGroup;
class QToolButton;

namespace pellamor {

class SegmentedControl : public QWidget {
    Q_OBJECT
public:
    explicit SegmentedControl(const std::vector<std::string>& labels, QWidget* parent = nullptr);

    std::function<void()> onAction;

    int segmentCount() const { return static_cast<int>(segments_.size()); }
    // -1 when none is selected.
    int selectedSegment() const;
    void setSelectedSegment(int segment);
    void setLabel(const std::string& label, int segment);
    std::string label(int segment) const;
    // Only the image's shape counts, as with the system's symbol images: the segment draws it in its title's
    // colour.
    void setImage(const QPixmap& image, int segment);
    void setEnabled(bool enabled, int segment);
    bool isEnabled(int segment) const;
    void setWidth(int width, int segment);
    void setAccessibilityLabel(const std::string& text);
    // The segment's button, as a click reaches it.
    QToolButton* segmentButton(int segment) const;

private:
    QButtonGroup* group_;
    std::vector<QToolButton*> segments_;
};

} // namespace pellamor
