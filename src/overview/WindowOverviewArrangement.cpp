// A layout chosen from a window card's menu: the window is made reachable on its own desktop (opened first
// when its screen shows another one), then placed on its own screen.
#include "overview/WindowOverview.h"

#include "assistant/Localization.h"
#include "platform/UUID.h"
#include "windows/NativeWindowArrangementAccessEnvironment.h"
#include "windows/NativeWindowArrangementEnvironment.h"
#include "windows/WindowArrangementAccessSession.h"
#include "windows/WindowArrangementSession.h"

#include <algorithm>

namespace pellamor {

namespace {

bool sameIgnoringCase(const std::string& first, const std::string& second)
{
    return QString::fromStdString(first).compare(QString::fromStdString(second), Qt::CaseInsensitive) == 0;
}

} // namespace

void WindowOverviewView::arrange(const DesktopWindow& window, std::uint64_t source, WindowArrangement arrangement)
{
    if (!start())
        return;
    onUserInteraction();
    performArrangement(window, source, arrangement);
}

std::optional<std::string> WindowOverviewView::arrangementCheck(
    const DesktopWindow& window, std::uint64_t source, const std::string& request)
{
    if (arrangementRequest_ != request || !busy_)
        return L("Disposition annulée.");
    auto live = liveRecord(window, source, source, false);
    if (auto* error = std::get_if<std::string>(&live))
        return *error;
    return std::nullopt;
}

void WindowOverviewView::performArrangement(
    const DesktopWindow& window, std::uint64_t source, WindowArrangement arrangement)
{
    auto live = liveRecord(window, source, source, true);
    if (auto* error = std::get_if<std::string>(&live))
        return finish(*error, true);
    auto& [fresh, desktops] = std::get<LiveRecord>(live);
    auto desktop = std::find_if(
        desktops.begin(), desktops.end(), [&](const NativeDesktopState& state) { return state.spaceID == source; });
    std::optional<ConnectedMonitor> monitor;
    if (desktop != desktops.end()) {
        for (const auto& candidate : ConnectedMonitor::read()) {
            if (sameIgnoringCase(candidate.id, desktop->display)) {
                monitor = candidate;
                break;
            }
        }
    }
    if (!monitor)
        return finish(L("L’écran de cette fenêtre est indisponible."), true);
    if (!runtime_)
        return finish(L("Le service de fenêtres est indisponible."), true);
    std::string request = UUID::random().uuidString();
    arrangementRequest_ = request;
    QPointer<WindowOverviewView> self(this);
    std::string application = fresh.application;
    auto willOpen = [self, application](int desktopNumber) {
        if (self) {
            self->showStatus(L("Ouverture du Bureau %@ pour disposer cette fenêtre de %@…", std::to_string(desktopNumber), application),
                false);
        }
    };
    auto validation = [self, fresh, source, request]() -> std::optional<std::string> {
        if (!self)
            return L("Disposition annulée.");
        return self->arrangementCheck(fresh, source, request);
    };
    arrangementAccess_ = std::make_shared<NativeWindowArrangementAccessEnvironment>(
        runtime_, fresh, source, desktops, *monitor, sharedSwitcher, willOpen, validation);
    arrangementAccessSession_ = WindowArrangementAccessSession::make(arrangementAccess_);
    showStatus(L("Préparation de cette fenêtre de %@…", application), false);
    ConnectedMonitor screen = *monitor;
    arrangementAccessSession_->start([self, fresh, source, arrangement, screen, request](
                                         std::optional<std::string> problem) {
        if (self)
            self->arrangementReached(fresh, source, arrangement, screen, request, std::move(problem));
    });
}

void WindowOverviewView::arrangementReached(const DesktopWindow& window, std::uint64_t source,
    WindowArrangement arrangement, const ConnectedMonitor& monitor, const std::string& request,
    std::optional<std::string> problem)
{
    if (arrangementRequest_ != request || !busy_)
        return;
    arrangementAccessSession_.reset();
    std::shared_ptr<NativeWindowArrangementAccessEnvironment> access = std::move(arrangementAccess_);
    if (problem)
        return finish(*problem, true);
    if (auto refusal = access->validate())
        return finish(*refusal, true);
    if (!access->resolvedWindow)
        return finish(access->inaccessibleMessage(), true);
    auto live = liveRecord(window, source, source, false);
    if (auto* error = std::get_if<std::string>(&live))
        return finish(*error, true);
    DesktopWindow placed = std::get<LiveRecord>(live).window;
    images_.erase(placed.id);
    QPointer<WindowOverviewView> self(this);
    auto validation = [self, placed, source, request]() -> std::optional<std::string> {
        if (!self)
            return L("Disposition annulée.");
        return self->arrangementCheck(placed, source, request);
    };
    arrangementSession_ = WindowArrangementSession::make(std::make_shared<NativeWindowArrangementEnvironment>(
        runtime_, placed, arrangement, monitor, access->resolvedWindow, std::nullopt, validation));
    showStatus(L("%@ : placement « %@ » en cours…", placed.application, arrangement.title()), false);
    std::string done = L("%@ : disposition « %@ » appliquée.", placed.application, arrangement.title());
    arrangementSession_->start([self, request, done](std::optional<std::string> failure) {
        if (!self || self->arrangementRequest_ != request || !self->busy_)
            return;
        self->arrangementSession_.reset();
        if (failure)
            return self->finish(*failure, true);
        self->finish(done, false);
    });
}

} // namespace pellamor
