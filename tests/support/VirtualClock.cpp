#include "support/VirtualClock.h"

#include <poll.h>
#include <vector>

namespace pellamor::test {

class VirtualClock::Source final : public FileSource {
public:
    Source(VirtualClock& clock, int id) : clock_(clock), id_(id) {}
    ~Source() override { clock_.sources_.erase(id_); }

private:
    VirtualClock& clock_;
    int id_;
};

std::unique_ptr<EventLoop::FileSource> VirtualClock::watchReadable(int fd, std::function<void()> onReadable)
{
    int id = nextSourceID_++;
    sources_[id] = [fd, onReadable = std::move(onReadable)] {
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, 0) > 0 && (entry.revents & POLLIN))
            onReadable();
    };
    return std::make_unique<Source>(*this, id);
}

void VirtualClock::pollFiles()
{
    std::vector<int> ids;
    for (auto& [id, check] : sources_)
        ids.push_back(id);
    for (int id : ids) {
        auto found = sources_.find(id);
        if (found != sources_.end()) {
            auto check = found->second;
            check();
        }
    }
}

void VirtualClock::advance(double seconds)
{
    double target = now_ + (seconds > 0 ? seconds : 0);
    pollFiles();
    for (;;) {
        queue_->runDue();
        auto next = queue_->nextDue();
        if (!next || *next > target)
            break;
        now_ = std::max(now_, *next);
        pollFiles();
    }
    now_ = target;
    pollFiles();
    queue_->runDue();
}

} // namespace pellamor::test
