// The simulated object runtime: classes registered by the simulated frameworks; faults can hide any of them.
#pragma once

#include "platform/ObjectRuntime.h"

#include <map>
#include <set>

namespace pellamor::sim {

class ClassRegistry final : public ObjectRuntime {
public:
    // `missing` holds the names of classes that are not there; read at each lookup.
    explicit ClassRegistry(const std::set<std::string>& missing)
        : missing_(missing)
    {
    }

    // Replaces any class of the same name.
    void add(std::shared_ptr<RuntimeClass> runtimeClass);
    std::shared_ptr<RuntimeClass> lookUpClass(const std::string& name) override;

private:
    const std::set<std::string>& missing_;
    std::map<std::string, std::shared_ptr<RuntimeClass>> classes_;
};

} // namespace pellamor::sim
