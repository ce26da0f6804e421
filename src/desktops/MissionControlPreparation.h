// The timing of one Mission Control operation: input released and quiet, Mission Control shown, then a
// usable button pressed after a short dwell, each step within its window.
#pragma once

#include <optional>
#include <variant>

namespace pellamor {

struct MissionControlPreparation {
    // Seconds of system uptime.
    static constexpr double pollInterval = 0.1;
    static constexpr double releaseWindow = 3.0;
    static constexpr double quietTime = 0.15;
    static constexpr double buttonWindow = 6.0;
    static constexpr double dwell = 0.3;
    static constexpr double confirmationWindow = 3.0;
    static constexpr double messagingTimeout = 0.3;

    struct Releasing {
        double deadline;
        std::optional<double> releasedSince;
    };
    struct Button {
        double openedAt;
        double deadline;
    };
    struct Finished { };
    using Phase = std::variant<Releasing, Button, Finished>;

    enum class Failure { inputHeld, unavailableButton };

    struct Decision {
        enum class Kind { failed, wait, open, perform };
        Kind kind;
        std::optional<Failure> failure;

        static Decision failed(Failure failure) { return { Kind::failed, failure }; }
        static Decision wait() { return { Kind::wait, std::nullopt }; }
        static Decision open() { return { Kind::open, std::nullopt }; }
        static Decision perform() { return { Kind::perform, std::nullopt }; }
        friend bool operator==(const Decision&, const Decision&) = default;
    };

    explicit MissionControlPreparation(double now)
        : phase(Releasing { now + releaseWindow, std::nullopt })
    {
    }

    Decision advance(double now, bool inputHeld, bool buttonReady);
    bool awaitingButton() const { return std::holds_alternative<Button>(phase); }

    Phase phase;
    // Set when the press is decided.
    std::optional<double> confirmationDeadline;
};

} // namespace pellamor
