// The only place that touches the window server's private move operation: three plain functions over the
// object runtime, and the runtime that turns their status into a French message.
#pragma once

#include "platform/ObjectRuntime.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace pellamor {

namespace moveBridgeStatus {
inline constexpr int performed = 0;
inline constexpr int unavailable = 1;
inline constexpr int invalidArguments = 2;
inline constexpr int refused = 3;
} // namespace moveBridgeStatus

// The operation class when it and both methods exist with the expected signatures; null otherwise.
std::shared_ptr<RuntimeClass> PLMMoveOperationClass();
bool PLMBridgeAvailable();
// Moves one window to one Space; a `moveBridgeStatus` value. Exceptions raised by the operation give `refused`.
int PLMBridgeMoveWindow(std::uint32_t window, std::uint64_t space);

class BridgeWindowMoveRuntime {
public:
    // None when the bridge is unavailable.
    static std::optional<BridgeWindowMoveRuntime> make();

    // None when the operation was performed; otherwise why not, in French.
    std::optional<std::string> move(std::uint32_t window, std::uint64_t space) const;
    static std::optional<std::string> message(int status);

private:
    BridgeWindowMoveRuntime() = default;
};

} // namespace pellamor
