#include "sim/ClassRegistry.h"

namespace pellamor::sim {

void ClassRegistry::add(std::shared_ptr<RuntimeClass> runtimeClass)
{
    std::string name = runtimeClass->name();
    classes_[name] = std::move(runtimeClass);
}

std::shared_ptr<RuntimeClass> ClassRegistry::lookUpClass(const std::string& name)
{
    auto found = classes_.find(name);
    if (found == classes_.end() || missing_.count(name))
        return nullptr;
    return found->second;
}

} // namespace pellamor::sim
