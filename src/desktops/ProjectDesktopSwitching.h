// Brings all of a project's desktops forward, display after display, re-reading them before every step.
#pragma once

#include "desktops/MissionControlResult.h"
#include "desktops/ProjectDesktopSwitchTarget.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellamor {

class ProjectDesktopSwitchingSession : public std::enable_shared_from_this<ProjectDesktopSwitchingSession> {
public:
    using Completion = std::function<void(MissionControlResult)>;
    // The project's desktops in the current inventory; none when they cannot be worked out now.
    using Resolve = std::function<std::optional<std::vector<ProjectDesktopSwitchTarget>>(const std::string& projectID)>;
    // Switches the target's display to its desktop and calls the completion exactly once.
    using Select = std::function<void(const ProjectDesktopSwitchTarget& target, Completion completion)>;
    using CancelSelection = std::function<void()>;

    static std::shared_ptr<ProjectDesktopSwitchingSession> make(
        Resolve resolve, Select select, CancelSelection cancelSelection);
    ProjectDesktopSwitchingSession(Resolve resolve, Select select, CancelSelection cancelSelection);
    ~ProjectDesktopSwitchingSession();

    // The completion runs exactly once: sent, cancelled or failed.
    void activate(const std::string& projectID, Completion completion);
    void cancel();

private:
    struct Selection {
        std::optional<MissionControlResult> result;
    };
    struct Request {
        std::string projectID;
        Completion completion;
        std::optional<std::vector<ProjectDesktopSwitchTarget>> targets;
        std::size_t index = 0;
        std::shared_ptr<Selection> selection;
        bool cancelled = false;
    };

    void drive();
    // One turn of the loop; false leaves it while a switch is in flight.
    bool step(const std::shared_ptr<Request>& request);
    // The project's desktops now, valid; none when the request was cancelled meanwhile or has failed.
    std::optional<std::vector<ProjectDesktopSwitchTarget>> freshTargets(const std::shared_ptr<Request>& request);
    void stepTarget(const std::shared_ptr<Request>& request, const std::vector<ProjectDesktopSwitchTarget>& fresh);
    void startSelection(const std::shared_ptr<Request>& request, const ProjectDesktopSwitchTarget& target);
    void complete(std::shared_ptr<Request> request, MissionControlResult result);
    void fail(const std::shared_ptr<Request>& request);

    Resolve resolve_;
    Select select_;
    CancelSelection cancelSelection_;
    std::shared_ptr<Request> active_;
    bool driving_ = false;
};

} // namespace pellamor
