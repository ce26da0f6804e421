// The one QApplication that widget tests need, created on first use with a fixed font.
#pragma once

namespace pellamor::test {

void ensureWidgetApplication();

} // namespace pellamor::test
