#include "desktops/ProjectDesktopSwitching.h"

#include "assistant/Localization.h"
#include "assistant/TextCase.h"
#include "desktops/CleanText.h"

#include <set>

namespace pellamor {

namespace {

using Targets = std::vector<ProjectDesktopSwitchTarget>;

bool validTargets(const Targets& targets)
{
    std::set<std::string> displays, uuids;
    std::set<std::uint64_t> spaces;
    std::set<int> numbers;
    for (const ProjectDesktopSwitchTarget& target : targets) {
        const NativeDesktopState& desktop = target.desktop;
        if (!DesktopTargets::isSupported(target.number) || desktop.display.empty() || desktop.spaceID == 0
            || (desktop.spaceUUID && desktop.spaceUUID->empty()))
            return false;
        if (!displays.insert(lowercased(desktop.display)).second || !spaces.insert(desktop.spaceID).second
            || !numbers.insert(target.number).second)
            return false;
        if (desktop.spaceUUID && !uuids.insert(lowercased(*desktop.spaceUUID)).second)
            return false;
    }
    return true;
}

bool sameUUID(const std::optional<std::string>& a, const std::optional<std::string>& b)
{
    if (!a || !b)
        return !a && !b;
    return equalIgnoringCase(*a, *b);
}

} // namespace

std::shared_ptr<ProjectDesktopSwitchingSession> ProjectDesktopSwitchingSession::make(
    Resolve resolve, Select select, CancelSelection cancelSelection)
{
    return std::make_shared<ProjectDesktopSwitchingSession>(
        std::move(resolve), std::move(select), std::move(cancelSelection));
}

ProjectDesktopSwitchingSession::ProjectDesktopSwitchingSession(
    Resolve resolve, Select select, CancelSelection cancelSelection)
    : resolve_(std::move(resolve))
    , select_(std::move(select))
    , cancelSelection_(std::move(cancelSelection))
{
}

ProjectDesktopSwitchingSession::~ProjectDesktopSwitchingSession()
{
    if (active_ && active_->selection && !active_->selection->result)
        cancelSelection_();
}

void ProjectDesktopSwitchingSession::activate(const std::string& projectID, Completion completion)
{
    if (active_)
        return completion(MissionControlResult::failed(L("Un changement est déjà en cours.")));
    auto request = std::make_shared<Request>();
    request->projectID = projectID;
    request->completion = std::move(completion);
    active_ = request;
    drive();
}

void ProjectDesktopSwitchingSession::cancel()
{
    if (!active_)
        return;
    active_->cancelled = true;
    drive();
}

void ProjectDesktopSwitchingSession::drive()
{
    if (driving_)
        return;
    // A completion may let the owner release the session while the loop still runs.
    auto keepAlive = shared_from_this();
    driving_ = true;
    // A copy: finishing the request clears `active_` under it.
    for (auto request = active_; request && step(request); request = active_) { }
    driving_ = false;
}

bool ProjectDesktopSwitchingSession::step(const std::shared_ptr<Request>& request)
{
    if (request->cancelled) {
        std::shared_ptr<Selection> selection = std::move(request->selection);
        if (selection && !selection->result)
            cancelSelection_();
        if (request == active_)
            complete(request, MissionControlResult::cancelled());
        return true;
    }
    if (request->selection) {
        if (!request->selection->result)
            return false;
        MissionControlResult result = *request->selection->result;
        request->selection.reset();
        if (result.kind() == MissionControlResult::Kind::sent)
            ++request->index;
        else if (request == active_)
            complete(request, result);
        return true;
    }
    if (!request->targets) {
        request->targets = freshTargets(request);
        return true;
    }
    if (request->index >= request->targets->size()) {
        complete(request, MissionControlResult::sent());
        return true;
    }
    if (auto fresh = freshTargets(request))
        stepTarget(request, *fresh);
    return true;
}

std::optional<std::vector<ProjectDesktopSwitchTarget>> ProjectDesktopSwitchingSession::freshTargets(
    const std::shared_ptr<Request>& request)
{
    auto fresh = resolve_(request->projectID);
    if (request->cancelled)
        return std::nullopt;
    if (!fresh || !validTargets(*fresh)) {
        fail(request);
        return std::nullopt;
    }
    return fresh;
}

void ProjectDesktopSwitchingSession::stepTarget(const std::shared_ptr<Request>& request, const Targets& fresh)
{
    const NativeDesktopState& stored = (*request->targets)[request->index].desktop;
    for (const ProjectDesktopSwitchTarget& target : fresh) {
        if (!equalIgnoringCase(target.desktop.display, stored.display))
            continue;
        if (target.desktop.spaceID != stored.spaceID || !sameUUID(target.desktop.spaceUUID, stored.spaceUUID))
            return fail(request);
        if (target.desktop.currentSpaceID == target.desktop.spaceID)
            ++request->index;
        else
            startSelection(request, target);
        return;
    }
    // The display no longer carries the project: skipped, unless its desktop turns up on another display.
    for (const ProjectDesktopSwitchTarget& target : fresh) {
        bool sameUUIDs = target.desktop.spaceUUID && stored.spaceUUID
            && equalIgnoringCase(*target.desktop.spaceUUID, *stored.spaceUUID);
        if (target.desktop.spaceID == stored.spaceID || sameUUIDs)
            return fail(request);
    }
    ++request->index;
}

void ProjectDesktopSwitchingSession::startSelection(
    const std::shared_ptr<Request>& request, const ProjectDesktopSwitchTarget& target)
{
    auto selection = std::make_shared<Selection>();
    request->selection = selection;
    std::weak_ptr<ProjectDesktopSwitchingSession> weakSession = weak_from_this();
    std::weak_ptr<Request> weakRequest = request;
    std::weak_ptr<Selection> weakSelection = selection;
    select_(target, [weakSession, weakRequest, weakSelection](MissionControlResult result) {
        auto session = weakSession.lock();
        auto request = weakRequest.lock();
        auto selection = weakSelection.lock();
        if (!session || !request || !selection || request != session->active_ || request->selection != selection
            || selection->result || request->cancelled)
            return;
        selection->result = std::move(result);
        session->drive();
    });
}

void ProjectDesktopSwitchingSession::complete(std::shared_ptr<Request> request, MissionControlResult result)
{
    if (request != active_)
        return;
    active_.reset();
    Completion completion = std::move(request->completion);
    request->completion = nullptr;
    completion(std::move(result));
}

void ProjectDesktopSwitchingSession::fail(const std::shared_ptr<Request>& request)
{
    complete(request, MissionControlResult::failed(L("Les bureaux ont changé. L’ouverture a été annulée.")));
}

} // namespace pellamor
