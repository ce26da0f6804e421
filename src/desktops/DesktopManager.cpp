#include "desktops/DesktopManager.h"

#include "assistant/Localization.h"

#include <algorithm>
#include <set>

namespace pellamor {

namespace {

namespace DesktopTopology {

// Non-empty, no zero or repeated space id, no empty display, each display's desktops in one run.
bool valid(const std::vector<NativeDesktopState>& inventory)
{
    if (inventory.empty())
        return false;
    std::set<std::uint64_t> ids;
    std::set<std::string> leftDisplays;
    for (std::size_t i = 0; i < inventory.size(); ++i) {
        const auto& desktop = inventory[i];
        if (desktop.spaceID == 0 || desktop.display.empty() || !ids.insert(desktop.spaceID).second)
            return false;
        if (leftDisplays.count(desktop.display))
            return false;
        if (i > 0 && inventory[i - 1].display != desktop.display)
            leftDisplays.insert(inventory[i - 1].display);
    }
    return true;
}

} // namespace DesktopTopology

// Position by position, the same space ids on the same displays; the current desktop and UUID may differ.
bool sameDesktops(const std::vector<NativeDesktopState>& a, const std::vector<NativeDesktopState>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
        [](const auto& x, const auto& y) { return x.spaceID == y.spaceID && x.display == y.display; });
}

} // namespace

DesktopManager::DesktopManager(std::shared_ptr<DesktopManagementDriver> driver)
    : driver_(std::move(driver))
{
}

DesktopManager::~DesktopManager()
{
    if (active_ && active_->startedDriver)
        driver_->close();
}

template <class Call> auto DesktopManager::driverCall(Call call)
{
    struct Depth {
        DesktopManager& manager;
        explicit Depth(DesktopManager& m)
            : manager(m)
        {
            ++manager.driverCallDepth_;
        }
        ~Depth()
        {
            --manager.driverCallDepth_;
            manager.completeIfFinished();
        }
    };
    Depth depth(*this);
    return call();
}

void DesktopManager::create(const std::string& display, Completion completion)
{
    start(Create { display }, std::move(completion));
}

void DesktopManager::remove(std::uint64_t space, Completion completion)
{
    start(Remove { space }, std::move(completion));
}

void DesktopManager::cancel()
{
    if (!active_ || active_->phase == Phase::finished)
        return;
    auto self = shared_from_this();
    active_->result = DesktopManagementResult::cancelled();
    active_->phase = Phase::finished;
    completeIfFinished();
}

std::optional<std::string> DesktopManager::cancelledText()
{
    return L("La modification des bureaux a été annulée.");
}

bool DesktopManager::isLive(const std::shared_ptr<Request>& request) const
{
    return active_ == request && request->phase != Phase::finished;
}

void DesktopManager::start(Operation operation, Completion completion)
{
    if (active_) {
        completion(DesktopManagementResult::failed(L("Une modification des bureaux est déjà en cours.")));
        return;
    }
    auto self = shared_from_this();
    auto request = std::make_shared<Request>();
    request->operation = std::move(operation);
    request->completion = std::move(completion);
    active_ = request;

    auto inventory = driverCall([&] { return driver_->inventory(); });
    if (!isLive(request))
        return;
    if (!inventory || !DesktopTopology::valid(*inventory)) {
        finish(request, DesktopManagementResult::failed(L("Impossible de lire les bureaux de ce Mac.")));
        return;
    }
    request->before = std::move(*inventory);
    if (auto refusal = target(*request)) {
        finish(request, DesktopManagementResult::failed(*refusal));
        return;
    }
    if (auto refusal = validate(request)) {
        finish(request, DesktopManagementResult::failed(*refusal));
        return;
    }
    if (isLive(request))
        startDriver(request);
}

std::optional<std::string> DesktopManager::target(Request& request) const
{
    const auto& before = request.before;
    if (auto create = std::get_if<Create>(&request.operation)) {
        bool known
            = std::any_of(before.begin(), before.end(), [&](const auto& d) { return d.display == create->display; });
        if (!known)
            return L("Cet écran n’est plus disponible. Actualise la liste des bureaux.");
        if (before.size() >= std::size_t(DesktopTargets::supportedLast))
            return L("Cette app gère jusqu’à neuf bureaux. Supprime un bureau vide avant d’en ajouter un.");
        request.display = create->display;
        return std::nullopt;
    }
    auto space = std::get<Remove>(request.operation).space;
    auto entry = std::find_if(before.begin(), before.end(), [&](const auto& d) { return d.spaceID == space; });
    if (entry == before.end())
        return L("Ce bureau n’existe plus. Actualise la liste des bureaux.");
    if (std::count_if(before.begin(), before.end(), [&](const auto& d) { return d.display == entry->display; }) < 2)
        return L("Conserve au moins un bureau sur cet écran.");
    request.display = entry->display;
    request.removing = space;
    return std::nullopt;
}

std::optional<std::string> DesktopManager::rereadInventory(const std::shared_ptr<Request>& request)
{
    auto inventory = driverCall([&] { return driver_->inventory(); });
    if (!isLive(request))
        return cancelledText();
    if (!inventory || !sameDesktops(*inventory, request->before))
        return L("La liste des bureaux a changé. Actualise puis réessaie.");
    return std::nullopt;
}

std::optional<std::string> DesktopManager::validate(const std::shared_ptr<Request>& request)
{
    if (!isLive(request))
        return cancelledText();
    if (auto changed = rereadInventory(request))
        return changed;
    auto refusal = driverCall([&] { return driver_->validate(request->display, request->removing); });
    if (!isLive(request))
        return cancelledText();
    if (refusal)
        return refusal;
    return rereadInventory(request);
}

void DesktopManager::startDriver(const std::shared_ptr<Request>& request)
{
    request->phase = Phase::native;
    request->startedDriver = true;
    std::weak_ptr<DesktopManager> weakSelf = shared_from_this();
    std::weak_ptr<Request> weakRequest = request;
    auto validating = [weakSelf, weakRequest]() -> std::optional<std::string> {
        auto self = weakSelf.lock();
        auto request = weakRequest.lock();
        if (!self || !request)
            return cancelledText();
        return self->validate(request);
    };
    auto completion = [weakSelf, weakRequest](std::optional<std::string> failure) {
        auto self = weakSelf.lock();
        auto request = weakRequest.lock();
        if (self && request)
            self->driverFinished(request, std::move(failure));
    };
    driverCall([&] {
        if (request->removing)
            driver_->remove(*request->removing, request->display, validating, completion);
        else
            driver_->add(request->display, validating, completion);
    });
}

void DesktopManager::driverFinished(const std::shared_ptr<Request>& request, std::optional<std::string> failure)
{
    if (active_ != request || request->phase != Phase::native)
        return;
    auto self = shared_from_this();
    request->phase = Phase::verifying;
    auto after = driverCall([&] { return driver_->inventory(); });
    if (!isLive(request))
        return;
    if (failure) {
        finish(request, DesktopManagementResult::failed(*failure));
        return;
    }
    if (after && DesktopTopology::valid(*after) && confirms(*request, *after)) {
        finish(request, DesktopManagementResult::changed(request->before, std::move(*after)));
        return;
    }
    finish(request,
        DesktopManagementResult::failed(
            L("macOS n’a pas confirmé la modification attendue. Actualise la liste des bureaux avant de réessayer.")));
}

bool DesktopManager::confirms(const Request& request, const std::vector<NativeDesktopState>& after) const
{
    const auto& before = request.before;
    if (request.removing) {
        if (after.size() + 1 != before.size())
            return false;
        auto expected = before;
        std::erase_if(expected, [&](const auto& d) { return d.spaceID == *request.removing; });
        return sameDesktops(after, expected);
    }
    if (after.size() != before.size() + 1)
        return false;
    auto last
        = std::find_if(before.rbegin(), before.rend(), [&](const auto& d) { return d.display == request.display; });
    if (last == before.rend())
        return false;
    auto position = std::size_t(before.rend() - last);
    const auto& added = after[position];
    bool known = std::any_of(before.begin(), before.end(), [&](const auto& d) { return d.spaceID == added.spaceID; });
    if (added.display != request.display || known)
        return false;
    auto rest = after;
    rest.erase(rest.begin() + std::ptrdiff_t(position));
    return sameDesktops(rest, before);
}

void DesktopManager::finish(const std::shared_ptr<Request>& request, DesktopManagementResult result)
{
    if (!isLive(request))
        return;
    request->result = std::move(result);
    request->phase = Phase::finished;
    completeIfFinished();
}

void DesktopManager::completeIfFinished()
{
    if (driverCallDepth_ != 0 || !active_ || active_->phase != Phase::finished || !active_->result)
        return;
    auto request = std::move(active_);
    active_.reset();
    if (request->startedDriver)
        driver_->close();
    request->completion(std::move(*request->result));
}

} // namespace pellamor
