// Gives a desktop-management driver what it reads of the window server and of this application's windows.
#pragma once

namespace pellamor {

class NativeDesktopManagementDriver;

// Done when the driver is made: a window-server runtime made for it (none when it cannot be made), and
// whether a window of ours shows on every desktop.
void connectDriverWindows(NativeDesktopManagementDriver& driver);

} // namespace pellamor
