// The macOS edge of moving one window: the window-server runtime, the managed displays, the dedicated screen
// and the move bridge; and the identity of the managed displays a move expects to stay unchanged.
#pragma once

#include "desktops/DesktopModel.h"
#include "desktops/DesktopRuntime.h"
#include "windows/DesktopWindow.h"
#include "windows/WindowMoveBridge.h"
#include "windows/WindowMoveSession.h"
#include "windows/WindowSpaceRuntime.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellamor {

namespace WindowMoveIdentification {
using Layout = std::map<std::string, std::vector<std::uint64_t>>;
using ActiveSpaces = std::map<std::string, std::uint64_t>;

// Each display's Space ids in order; none for any malformed entry, an id used twice, or no display at all.
std::optional<Layout> layout(const std::vector<PlistDictionary>& displays);
// Each display's current Space id; none for any malformed entry.
std::optional<ActiveSpaces> activeSpaces(const std::vector<PlistDictionary>& displays);
} // namespace WindowMoveIdentification

class NativeWindowMoveEnvironment final : public WindowMoveEnvironment {
public:
    // `inventory` is what the caller planned with; `validation` its own last check.
    NativeWindowMoveEnvironment(std::shared_ptr<WindowSpaceRuntime> runtime, DesktopWindow record, std::uint64_t source,
        std::uint64_t target, std::vector<NativeDesktopState> inventory,
        std::function<std::optional<std::string>()> validation);

    bool inputHeld() override;
    std::optional<std::string> validate() override;
    std::optional<std::string> requestMove() override;
    bool arrived() override;
    bool desktopUnchanged() override;

private:
    struct Reservation {
        std::optional<std::string> display;
        std::string assistantBundleID;
        friend bool operator==(const Reservation&, const Reservation&) = default;
    };
    static Reservation currentReservation();
    std::optional<std::string> windowProblem() const;

    std::shared_ptr<WindowSpaceRuntime> runtime_;
    std::shared_ptr<DesktopRuntime> desktopRuntime_;
    std::optional<BridgeWindowMoveRuntime> bridge_;
    DesktopWindow record_;
    std::uint64_t source_;
    std::uint64_t target_;
    std::vector<NativeDesktopState> inventory_;
    std::function<std::optional<std::string>()> validation_;
    std::optional<WindowMoveIdentification::Layout> expectedLayout_;
    std::optional<WindowMoveIdentification::ActiveSpaces> expectedActiveSpaces_;
    Reservation reservation_;
    bool requested_ = false;
};

} // namespace pellamor
