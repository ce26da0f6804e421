// Stands in for a running application's icon: a rounded tile with the application's initial.
#pragma once

#include <QPixmap>
#include <optional>

namespace pellamor::ApplicationIcon {

// None when no application with that pid runs.
std::optional<QPixmap> forProcess(int pid, int points);

} // namespace pellamor::ApplicationIcon
