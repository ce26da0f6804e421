// The interface behind which desktops are added and removed, and the result of one such operation.
#pragma once

#include "desktops/DesktopModel.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace pellamor {

class DesktopManagementDriver {
public:
    // Answers a refusal text, or none to go ahead.
    using Validating = std::function<std::optional<std::string>()>;
    // A failure text, or none when the driver believes it acted.
    using Completion = std::function<void(std::optional<std::string>)>;

    virtual ~DesktopManagementDriver() = default;

    virtual std::optional<std::vector<NativeDesktopState>> inventory() = 0;
    virtual std::optional<std::string> validate(const std::string& display, std::optional<std::uint64_t> removing) = 0;
    // The driver calls `validating` just before it acts.
    virtual void add(const std::string& display, Validating validating, Completion completion) = 0;
    virtual void remove(std::uint64_t space, const std::string& display, Validating validating, Completion completion)
        = 0;
    // Releases whatever the driver opened; called once after an operation that reached the driver.
    virtual void close() = 0;
};

struct DesktopManagementResult {
    struct Changed {
        std::vector<NativeDesktopState> before;
        std::vector<NativeDesktopState> after;
        friend bool operator==(const Changed&, const Changed&) = default;
    };
    struct Failed {
        std::string message;
        friend bool operator==(const Failed&, const Failed&) = default;
    };
    struct Cancelled {
        friend bool operator==(const Cancelled&, const Cancelled&) = default;
    };

    std::variant<Changed, Failed, Cancelled> value;

    static DesktopManagementResult changed(
        std::vector<NativeDesktopState> before, std::vector<NativeDesktopState> after)
    {
        return { Changed { std::move(before), std::move(after) } };
    }
    static DesktopManagementResult failed(std::string message) { return { Failed { std::move(message) } }; }
    static DesktopManagementResult cancelled() { return { Cancelled {} }; }

    const Changed* asChanged() const { return std::get_if<Changed>(&value); }
    const Failed* asFailed() const { return std::get_if<Failed>(&value); }
    bool isCancelled() const { return std::holds_alternative<Cancelled>(value); }

    friend bool operator==(const DesktopManagementResult&, const DesktopManagementResult&) = default;
};

} // namespace pellamor
