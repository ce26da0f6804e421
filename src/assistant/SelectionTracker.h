// The selection token last acted on; reports each change once.
#pragma once

#include <optional>
#include <string>

namespace pellamor {

class SelectionTracker {
public:
    explicit SelectionTracker(std::optional<std::string> selection = std::nullopt)
        : committed_(std::move(selection))
    {
    }

    // The next observed token becomes the base without counting as a change.
    void rebaseOnNextObservation() { needsRebase_ = true; }
    // True when a rebase was due and `token` is now the base.
    bool rebaseIfNeeded(const std::optional<std::string>& token);
    // The new token when it changed to one; none when unchanged, rebased or changed to none.
    std::optional<std::string> update(const std::optional<std::string>& token);

    const std::optional<std::string>& committed() const { return committed_; }

private:
    std::optional<std::string> committed_;
    bool needsRebase_ = false;
};

} // namespace pellamor
