// The one QApplication that widget tests need, created on first use with a fixed font.
#pragma once

namespace pellamor::test {

void ensureWidgetApplication();

// As a fixture's first member, so that the widgets among the next members find the application.
struct WidgetApplication {
    WidgetApplication() { ensureWidgetApplication(); }
};

} // namespace pellamor::test
