// One top-level window of another application, as the window list shows it, and the rule for its title.
#pragma once

#include "platform/Unicode.h"

#include <QRectF>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pellamor {

struct DesktopWindow {
    // The window server's window number; 0 is never a window.
    std::uint32_t id = 0;
    std::int32_t pid = 0;
    // The owner's name as the user knows it.
    std::string application;
    std::optional<std::string> bundleID;
    // Already resolved by `resolvedTitle`.
    std::string title;
    // Screen points, top-left origin, as the window server reports them.
    QRectF frame;
    std::vector<std::uint64_t> spaces;
    // Last path component of the window's document, when known.
    std::optional<std::string> documentName;
    // Read through Accessibility; none when not read.
    std::optional<bool> isMinimized;

    // The first candidate that is not blank, trimmed: window-server name, Accessibility title, capture title,
    // document name; else the localised "Fenêtre sans titre".
    static std::string resolvedTitle(const std::optional<std::string>& system,
        const std::optional<std::string>& accessibility, const std::optional<std::string>& capture,
        const std::optional<std::string>& document);

    friend bool operator==(const DesktopWindow&, const DesktopWindow&) = default;
};


// Finite origin and size.
bool isFiniteRect(const QRectF& rect);

} // namespace pellamor
