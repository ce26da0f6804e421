// Sheets attached to a window: at most one per window, shown window-modal until it ends.
#pragma once

#include <QDialog>
#include <QWidget>
#include <functional>

namespace pellamor {

// The window of a sheet. As on the Mac, only its own buttons end it: Escape or the window manager's close
// button would hide it while it stays attached, unanswered, and the window would refuse every later sheet.
// A close asked by the program itself, as when the application quits, is let through.
class SheetDialog : public QDialog {
public:
    // The sheet's own Escape key equivalent; without one, Escape does nothing.
    std::function<void()> onCancel;

    void reject() override
    {
        if (onCancel)
            onCancel();
    }

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace pellamor

namespace pellamor::SheetHost {

// The window's attached sheet, null when it has none.
QWidget* attachedSheet(const QWidget* window);
bool hasAttachedSheet(const QWidget* window);
// Shows the sheet attached to the window; false, showing nothing, when the window already has one.
bool beginSheet(QWidget* window, QWidget* sheet);
// Hides the sheet and detaches it from its window; its owner decides what happens to it.
void endSheet(QWidget* sheet);

} // namespace pellamor::SheetHost
