// Adds or removes a desktop the way a person would, by pressing Mission Control's buttons, one operation
// at a time; also the app's reader of the desktop inventory.
#pragma once

#include "desktops/DesktopRuntime.h"
#include "desktops/MissionControlPreparation.h"
#include "desktops/NativeDesktopTopology.h"
#include "platform/Accessibility.h"
#include "platform/Dock.h"
#include "platform/FrameworkLoader.h"
#include "platform/MainQueue.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellamor {

class MissionControlCreator : public std::enable_shared_from_this<MissionControlCreator> {
public:
    // A refusal text, or none to go on; asked again on every poll.
    using Validating = std::function<std::optional<std::string>()>;
    // A failure text, or none for success.
    using Completion = std::function<void(std::optional<std::string>)>;

    MissionControlCreator();
    MissionControlCreator(const MissionControlCreator&) = delete;
    MissionControlCreator& operator=(const MissionControlCreator&) = delete;

    std::optional<std::vector<NativeDesktopState>> inventory();
    void add(const std::string& display, Validating validating, Completion completion);
    void remove(std::uint64_t space, const std::string& display, Validating validating, Completion completion);
    // Ends the operation without its completion and hides Mission Control if this creator showed it.
    void close();

private:
    struct Operation {
        // None: add.
        std::optional<std::uint64_t> removing;
        std::string word() const;
        // Mission Control showed no usable button, or a thumbnail of another desktop.
        std::string unavailableText() const;
        const char* action() const { return removing ? "AXRemoveDesktop" : "AXPress"; }
    };
    struct Request {
        std::uint64_t token;
        std::string display;
        Operation operation;
        NativeDesktopTopology before;
        Validating validating;
        Completion completion;
        MissionControlPreparation preparation;
    };
    using Step = void (MissionControlCreator::*)(const std::shared_ptr<Request>&);

    void begin(Operation operation, const std::string& display, Validating validating, Completion completion);
    std::optional<std::vector<PlistDictionary>> displays() const;
    std::optional<NativeDesktopTopology> topology();
    std::optional<std::string> removalRestriction(
        std::uint64_t space, const std::string& display, const NativeDesktopTopology& topology);
    std::optional<std::string> validation(const Request& request);
    void schedule(const std::shared_ptr<Request>& request, Step step);
    void waitForButton(const std::shared_ptr<Request>& request);
    void waitForResult(const std::shared_ptr<Request>& request);
    void open(const std::shared_ptr<Request>& request);
    AXElementRef findButton(const Request& request);
    bool isLive(const std::shared_ptr<Request>& request) const;
    void finish(const std::shared_ptr<Request>& request, std::optional<std::string> message);
    std::function<dock::SendNotification> sendNotification() const;

    std::shared_ptr<DesktopRuntime> runtime_;
    std::shared_ptr<Framework> dockLibrary_;
    bool openedMissionControl_ = false;
    std::uint64_t generation_ = 0;
    std::shared_ptr<Request> active_;
    WorkItem work_;
};

} // namespace pellamor
