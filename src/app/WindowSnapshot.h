// A picture of a window as a screenshot shows it: with its attached sheet drawn over it.
#pragma once

#include <QImage>

class QWidget;

namespace pellamor {

QImage windowSnapshot(QWidget* window);

} // namespace pellamor
