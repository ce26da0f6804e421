// The screens: connected monitors, the assistant and its dedicated screen, which screen the assistant really
// occupies, whether a desktop's screen takes content, and screen-to-accessibility geometry.
#pragma once

#include "desktops/DesktopModel.h"
#include "platform/UserDefaults.h"

#include <QRectF>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellamor {

struct ConnectedMonitor {
    // The display's UUID text; compared ignoring case where the callers say so.
    std::string id;
    std::string name;
    // Bottom-left-origin screen coordinates.
    QRectF frame;
    QRectF visibleFrame;
    bool isMain = false;

    std::string displayName() const;
    // The connected screens in the system's order; screens without a number or a UUID are left out.
    static std::vector<ConnectedMonitor> read();
};

class AssistantApp {
public:
    enum Value { codex, claude };

    constexpr AssistantApp(Value value)
        : value_(value)
    {
    }
    static constexpr std::array<Value, 2> allCases { codex, claude };
    static std::optional<AssistantApp> fromRawValue(std::string_view rawValue);

    Value value() const { return value_; }
    std::string rawValue() const;
    std::string name() const;
    bool isAvailable() const { return value_ == codex; }
    std::string bundleID() const;

    friend bool operator==(AssistantApp, AssistantApp) = default;

private:
    Value value_;
};

namespace assistantDefaultsKey {
inline constexpr const char* selectedAssistant = "selectedAssistant";
inline constexpr const char* screenID = "assistantScreenID";
inline constexpr const char* monitorChoices = "assistantMonitorChoices";
} // namespace assistantDefaultsKey

// Posted on the default centre after the dedicated screen was saved.
inline constexpr const char* assistantScreenConfigurationChanged = "AssistantScreenConfigurationChanged";

struct AssistantScreenConfiguration {
    AssistantApp assistant = AssistantApp::codex;
    std::optional<std::string> monitorID;

    // What is stored, connected or not.
    static AssistantScreenConfiguration load(
        const std::vector<ConnectedMonitor>& monitors, const UserDefaults& defaults);
    // What to act on now: the stored screen when connected, else the one the assistant's windows occupy.
    static AssistantScreenConfiguration runtime(
        const std::vector<ConnectedMonitor>& monitors, const UserDefaults& defaults);
    void save(UserDefaults& defaults) const;

    DesktopScreenEligibility eligibility(int number, const std::optional<std::vector<NativeDesktopState>>& desktops,
        const std::vector<ConnectedMonitor>& monitors) const;
    // The French reason a desktop's screen takes no content; none for a content screen.
    std::optional<std::string> blockingReason(const DesktopScreenEligibility& eligibility) const;

    friend bool operator==(const AssistantScreenConfiguration&, const AssistantScreenConfiguration&) = default;
};

namespace AssistantRuntimeScreenSelection {
// The saved screen when connected, else the screen holding most of the windows (top-left coordinates),
// else the main screen.
std::optional<std::string> monitorID(const std::optional<std::string>& saved,
    const std::vector<ConnectedMonitor>& monitors, const std::vector<QRectF>& windowFrames);
} // namespace AssistantRuntimeScreenSelection

namespace WindowPlacementGeometry {
// A bottom-left-origin rectangle in top-left accessibility coordinates.
QRectF accessibilityRect(const QRectF& rect, double mainScreenTop);
// The size, shrunk to fit, centred in the container.
QRectF centered(const QSizeF& size, const QRectF& container);
} // namespace WindowPlacementGeometry

} // namespace pellamor
