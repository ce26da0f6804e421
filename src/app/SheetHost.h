// Sheets attached to a window: at most one per window, shown window-modal until it ends.
#pragma once

#include <QWidget>

namespace pellamor::SheetHost {

// The window's attached sheet, null when it has none.
QWidget* attachedSheet(const QWidget* window);
bool hasAttachedSheet(const QWidget* window);
// Shows the sheet attached to the window; false, showing nothing, when the window already has one.
bool beginSheet(QWidget* window, QWidget* sheet);
// Hides the sheet and detaches it from its window; its owner decides what happens to it.
void endSheet(QWidget* sheet);

} // namespace pellamor::SheetHost
