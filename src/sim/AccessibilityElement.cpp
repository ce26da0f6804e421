#include "sim/AccessibilityElement.h"

namespace pellamor::sim {

void AccessibilityElement::setAttribute(
    const std::string& name, Reader read, Writer write, std::function<bool()> settable)
{
    attributes_[name] = Attribute { std::move(read), std::move(write), std::move(settable) };
}

void AccessibilityElement::setConstant(const std::string& name, AXValue value)
{
    setAttribute(name, [value] { return AXResult<AXValue>(value); });
}

void AccessibilityElement::setAction(const std::string& name, Action action)
{
    actions_[name] = std::move(action);
}

AXResult<AXValue> AccessibilityElement::copyAttributeValue(const std::string& attribute)
{
    auto held = lock();
    if (!alive_())
        return AXError::invalidUIElement;
    auto found = attributes_.find(attribute);
    if (found == attributes_.end())
        return AXError::attributeUnsupported;
    return found->second.read();
}

AXResult<bool> AccessibilityElement::isAttributeSettable(const std::string& attribute)
{
    auto held = lock();
    if (!alive_())
        return AXError::invalidUIElement;
    auto found = attributes_.find(attribute);
    if (found == attributes_.end())
        return AXError::attributeUnsupported;
    return found->second.isSettable();
}

AXError AccessibilityElement::setAttributeValue(const std::string& attribute, const AXValue& value)
{
    auto held = lock();
    if (!alive_())
        return AXError::invalidUIElement;
    auto found = attributes_.find(attribute);
    if (found == attributes_.end())
        return AXError::attributeUnsupported;
    if (!found->second.isSettable())
        return AXError::cannotComplete;
    return found->second.write(value);
}

AXResult<std::vector<std::string>> AccessibilityElement::copyActionNames()
{
    auto held = lock();
    if (!alive_())
        return AXError::invalidUIElement;
    std::vector<std::string> names;
    for (auto& [name, action] : actions_)
        names.push_back(name);
    return names;
}

AXError AccessibilityElement::performAction(const std::string& action)
{
    auto held = lock();
    if (!alive_())
        return AXError::invalidUIElement;
    auto found = actions_.find(action);
    if (found == actions_.end())
        return AXError::actionUnsupported;
    // A copy, so that an action may remove itself.
    Action perform = found->second;
    return perform();
}

AXError AccessibilityElement::setMessagingTimeout(double seconds)
{
    auto held = lock();
    if (seconds < 0)
        return AXError::illegalArgument;
    messagingTimeout_ = seconds;
    return AXError::success;
}

AXResult<int> AccessibilityElement::pid()
{
    auto held = lock();
    if (!alive_())
        return AXError::invalidUIElement;
    return pid_;
}

} // namespace pellamor::sim
