// The simulated frameworks: symbols registered by framework path and name; faults can hide any of them.
#pragma once

#include "platform/FrameworkLoader.h"

#include <map>
#include <set>

namespace pellamor::sim {

class SymbolTable final : public FrameworkLoader {
public:
    // `missing` holds the names of symbols (or framework paths) that are not there; read at each lookup.
    explicit SymbolTable(const std::set<std::string>& missing)
        : missing_(missing)
    {
    }

    void add(const std::string& framework, const std::string& name, std::any function);
    std::shared_ptr<Framework> open(const std::string& path) override;

private:
    class Library;
    using Symbols = std::map<std::string, std::any>;

    const std::set<std::string>& missing_;
    std::map<std::string, std::shared_ptr<Symbols>> frameworks_;
};

} // namespace pellamor::sim
