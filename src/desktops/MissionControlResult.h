// The result of one desktop switch: failed with the user's message, sent, or cancelled.
#pragma once

#include <string>

namespace pellamor {

class MissionControlResult {
public:
    enum class Kind { failed, sent, cancelled };

    static MissionControlResult failed(std::string message) { return { Kind::failed, std::move(message) }; }
    static MissionControlResult sent() { return { Kind::sent, {} }; }
    static MissionControlResult cancelled() { return { Kind::cancelled, {} }; }

    Kind kind() const { return kind_; }
    // The user's message of a failure; empty otherwise.
    const std::string& message() const { return message_; }

    friend bool operator==(const MissionControlResult&, const MissionControlResult&) = default;

private:
    MissionControlResult(Kind kind, std::string message)
        : kind_(kind)
        , message_(std::move(message))
    {
    }

    Kind kind_;
    std::string message_;
};

} // namespace pellamor
