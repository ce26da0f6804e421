#include "platform/ObjectRuntime.h"

namespace pellamor {

const RuntimeMethod* RuntimeClass::instanceMethod(const std::string& selector) const
{
    auto found = methods_.find(selector);
    return found == methods_.end() ? nullptr : &found->second;
}

ObjectRef RuntimeClass::allocate()
{
    return std::make_shared<RuntimeObject>(shared_from_this());
}

RuntimeValue RuntimeObject::send(const std::string& selector, const std::vector<RuntimeValue>& arguments)
{
    const RuntimeMethod* method = isa_->instanceMethod(selector);
    if (!method || !method->implementation)
        throw RuntimeException("unrecognized selector sent to instance: " + selector);
    // The class stays alive for the call even if the receiver lets go of itself.
    std::shared_ptr<RuntimeClass> keep = isa_;
    return method->implementation(*this, arguments);
}

} // namespace pellamor
