// The application's own top-level windows as the window server sees them: numbered when first shown, listed
// while shown, on every Space when they join all Spaces, else on the desktop that was current where they were
// shown (a sheet or a dialog on its parent's).
#pragma once

#include "platform/WindowList.h"

#include <QObject>
#include <QRectF>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace pellamor::sim {

class SimulatedMac;

class OwnWindows final : public QObject {
public:
    // One shown window, as the window list describes it.
    struct Shown {
        std::uint32_t number = 0;
        std::int64_t layer = 0;
        QRectF frame;
        std::string title;
        // Every Space of every display when it joins all Spaces.
        std::vector<std::uint64_t> spaces;
        bool allSpaces = false;
    };

    // Watches the top-level widgets of the running QApplication, those already shown included; none without one.
    explicit OwnWindows(SimulatedMac& mac);

    void setAttributes(const QObject& window, const OwnWindowAttributes& attributes);
    // What was set on the window; none when nothing was or it is gone.
    std::optional<OwnWindowAttributes> declared(const QObject* window) const;
    // The attributes of the window with that number (the defaults when nothing was set); none without one.
    std::optional<OwnWindowAttributes> numbered(std::uint32_t number) const;
    // Under the model lock: the windows shown, in the order they were first shown.
    std::vector<Shown> shown() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        std::optional<OwnWindowAttributes> declared;
        std::uint32_t number = 0;
        bool shown = false;
        QRectF frame;
        std::string title;
        // The desktop it was shown on, or moved to with its display; 0 before it was shown.
        std::uint64_t space = 0;
        // The top-level window it is attached to (a sheet's, a dialog's parent), null for none.
        const QObject* parent = nullptr;
        // Pop-up menus and tool tips sit above normal windows.
        bool popUp = false;
    };

    Entry& entry(const QObject& window);
    void track(const QWidget& widget, bool showing);
    std::vector<std::uint64_t> spacesOf(const Entry& entry, bool& allSpaces, int depth = 0) const;
    std::uint32_t freshNumber();

    SimulatedMac& mac_;
    std::map<const QObject*, Entry> entries_;
    std::uint32_t lastNumber_ = 0;
};

} // namespace pellamor::sim
