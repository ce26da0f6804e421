// The window server's list of windows, described as dictionaries, and the screen-capture permission.
#pragma once

#include "platform/PlistValue.h"

#include <QObject>
#include <QRectF>
#include <cstdint>
#include <optional>
#include <vector>

namespace pellamor {

namespace windowListOption {
inline constexpr std::uint32_t all = 0;
inline constexpr std::uint32_t onScreenOnly = 1 << 0;
inline constexpr std::uint32_t onScreenAboveWindow = 1 << 1;
inline constexpr std::uint32_t onScreenBelowWindow = 1 << 2;
inline constexpr std::uint32_t includingWindow = 1 << 3;
inline constexpr std::uint32_t excludeDesktopElements = 1 << 4;
} // namespace windowListOption

inline constexpr std::uint32_t nullWindowID = 0;

// Keys of one window's description.
namespace windowKey {
inline constexpr const char* number = "kCGWindowNumber";
inline constexpr const char* ownerPID = "kCGWindowOwnerPID";
inline constexpr const char* ownerName = "kCGWindowOwnerName";
inline constexpr const char* layer = "kCGWindowLayer";
inline constexpr const char* bounds = "kCGWindowBounds";
inline constexpr const char* alpha = "kCGWindowAlpha";
inline constexpr const char* name = "kCGWindowName";
inline constexpr const char* isOnscreen = "kCGWindowIsOnscreen";
} // namespace windowKey

inline constexpr int normalWindowLevel = 0;
inline constexpr int screenSaverWindowLevel = 1000;

namespace windowCollectionBehavior {
inline constexpr std::uint32_t canJoinAllSpaces = 1 << 0;
inline constexpr std::uint32_t managed = 1 << 2;
inline constexpr std::uint32_t stationary = 1 << 4;
inline constexpr std::uint32_t participatesInCycle = 1 << 5;
inline constexpr std::uint32_t ignoresCycle = 1 << 6;
inline constexpr std::uint32_t fullScreenAuxiliary = 1 << 8;
inline constexpr std::uint32_t canJoinAllApplications = 1 << 18;
} // namespace windowCollectionBehavior

// What the window server knows of one of our own windows beyond what Qt can express.
struct OwnWindowAttributes {
    int level = 0;
    std::uint32_t collectionBehavior = 0;
    bool ignoresMouseEvents = false;
    // False: left out of screenshots and screen sharing.
    bool shared = true;
    bool operator==(const OwnWindowAttributes&) const = default;
};

class WindowList {
public:
    virtual ~WindowList() = default;

    // Front to back; none when the window server does not answer.
    virtual std::optional<PlistArray> copyWindowInfo(std::uint32_t options, std::uint32_t relativeToWindow) = 0;
    // The descriptions of the given window numbers (those that exist); none when the window server does not answer.
    virtual std::optional<PlistArray> createDescriptions(const std::vector<std::uint32_t>& windows) = 0;
    virtual bool preflightScreenCaptureAccess() = 0;
    virtual bool requestScreenCaptureAccess() = 0;
    // Applies to the top-level window until it is destroyed.
    virtual void setOwnWindowAttributes(const QObject& window, const OwnWindowAttributes& attributes) = 0;
    // This application's window with that number, as AppKit knows it: what was set on it (the defaults when
    // nothing was); none when no window of ours has that number.
    virtual std::optional<OwnWindowAttributes> ownWindowNumbered(std::uint32_t window) = 0;
};

// Any number (integer or real) as a real; none for other values.
std::optional<double> numberValue(const PlistValue& value);
// A rectangle from its dictionary form ("X", "Y", "Width", "Height", all numbers); none otherwise.
std::optional<QRectF> rectFromDictionary(const PlistValue& value);
PlistDictionary dictionaryFromRect(const QRectF& rect);

} // namespace pellamor
