// Texts a person cannot read whole: labels, buttons, pop-ups and tabs whose text is cut without an ellipsis.
#pragma once

#include <string>
#include <vector>

class QWidget;

namespace pellamor::test {

// One line per cut text under the root, naming the control and its text; empty when every text shows whole or
// ends in an ellipsis. Texts inside a scroll view count only against the scrolled document, not its viewport.
std::vector<std::string> clippedTexts(QWidget* root);

} // namespace pellamor::test
