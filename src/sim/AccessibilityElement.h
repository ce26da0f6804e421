// One simulated Accessibility element: attributes that may be read and written, and actions by name.
#pragma once

#include "platform/Accessibility.h"

#include <functional>
#include <map>
#include <mutex>

namespace pellamor::sim {

class AccessibilityElement final : public AXElement {
public:
    using Reader = std::function<AXResult<AXValue>()>;
    // Null: the attribute is not settable.
    using Writer = std::function<AXError(const AXValue&)>;
    using Action = std::function<AXError()>;

    // `alive` answers whether what the element stands for still exists.
    AccessibilityElement(int pid, std::function<bool()> alive)
        : pid_(pid)
        , alive_(std::move(alive))
    {
    }

    // `settable` answers whether writes are allowed now; none: whenever there is a writer.
    void setAttribute(
        const std::string& name, Reader read, Writer write = nullptr, std::function<bool()> settable = nullptr);
    void setConstant(const std::string& name, AXValue value);
    void setAction(const std::string& name, Action action);
    double messagingTimeout() const { return messagingTimeout_; }
    // Held during every call, for elements that may be asked off the main thread.
    void setGuard(std::recursive_mutex* guard) { guard_ = guard; }

    AXResult<AXValue> copyAttributeValue(const std::string& attribute) override;
    AXResult<bool> isAttributeSettable(const std::string& attribute) override;
    AXError setAttributeValue(const std::string& attribute, const AXValue& value) override;
    AXResult<std::vector<std::string>> copyActionNames() override;
    AXError performAction(const std::string& action) override;
    AXError setMessagingTimeout(double seconds) override;
    AXResult<int> pid() override;

private:
    std::unique_lock<std::recursive_mutex> lock() const
    {
        return guard_ ? std::unique_lock(*guard_) : std::unique_lock<std::recursive_mutex>();
    }

    struct Attribute {
        Reader read;
        Writer write;
        std::function<bool()> settable;
        bool isSettable() const { return write && (!settable || settable()); }
    };

    int pid_;
    std::function<bool()> alive_;
    std::map<std::string, Attribute> attributes_;
    std::map<std::string, Action> actions_;
    double messagingTimeout_ = 0;
    std::recursive_mutex* guard_ = nullptr;
};

} // namespace pellamor::sim
