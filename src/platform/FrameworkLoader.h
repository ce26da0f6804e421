// Functions of system frameworks bound by name at run time; a missing framework or symbol is simply absent.
#pragma once

#include <any>
#include <functional>
#include <memory>
#include <string>

namespace pellamor {

// One opened framework. Its symbols are functions stored under their exported names.
class Framework {
public:
    virtual ~Framework() = default;

    // The symbol exported under `name`; null when the framework does not export it.
    virtual const std::any* find(const std::string& name) const = 0;

    // The symbol as a function of the given signature; empty when missing or of another signature.
    template <class Signature> std::function<Signature> function(const std::string& name) const
    {
        const std::any* symbol = find(name);
        if (!symbol)
            return {};
        if (auto bound = std::any_cast<std::function<Signature>>(symbol))
            return *bound;
        return {};
    }
};

class FrameworkLoader {
public:
    virtual ~FrameworkLoader() = default;

    // Opens the framework at `path` with lazy binding; null when it cannot be opened. Never closed.
    virtual std::shared_ptr<Framework> open(const std::string& path) = 0;
};

} // namespace pellamor
