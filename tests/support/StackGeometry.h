// Where the views of a box-layout stack stand, read back from the laid-out widgets.
#pragma once

#include <Qt>
#include <string>
#include <vector>

class QWidget;

namespace pellamor {
class Label;
}

namespace pellamor::test {

// The label under the root showing exactly this text; null when there is none.
Label* labelShowing(QWidget* root, const std::string& text);
// The room between each two neighbouring visible views of a stack, measured along `along`, in layout order: a
// stack laid the other way shows as overlapping views, with negative room.
std::vector<int> stackGaps(QWidget* stack, Qt::Orientation along = Qt::Vertical);

} // namespace pellamor::test
