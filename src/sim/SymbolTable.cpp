#include "sim/SymbolTable.h"

namespace pellamor::sim {

class SymbolTable::Library final : public Framework {
public:
    Library(std::shared_ptr<Symbols> symbols, const std::set<std::string>& missing)
        : symbols_(std::move(symbols))
        , missing_(missing)
    {
    }

    const std::any* find(const std::string& name) const override
    {
        if (missing_.count(name))
            return nullptr;
        auto found = symbols_->find(name);
        return found == symbols_->end() ? nullptr : &found->second;
    }

private:
    std::shared_ptr<Symbols> symbols_;
    const std::set<std::string>& missing_;
};

void SymbolTable::add(const std::string& framework, const std::string& name, std::any function)
{
    auto& symbols = frameworks_[framework];
    if (!symbols)
        symbols = std::make_shared<Symbols>();
    (*symbols)[name] = std::move(function);
}

std::shared_ptr<Framework> SymbolTable::open(const std::string& path)
{
    auto found = frameworks_.find(path);
    if (found == frameworks_.end() || missing_.count(path))
        return nullptr;
    return std::make_shared<Library>(found->second, missing_);
}

} // namespace pellamor::sim
