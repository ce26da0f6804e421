// The object runtime: classes found by name, their instance methods by selector with type encodings, and
// messages sent to instances. A raised exception is a `RuntimeException`.
#pragma once

#include "platform/PlistValue.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace pellamor {

class RuntimeObject;
using ObjectRef = std::shared_ptr<RuntimeObject>;
// An argument or a result: nothing (nil, or no result), an object, an unsigned 64-bit integer, or a value such
// as an array of numbers.
using RuntimeValue = std::variant<std::monostate, ObjectRef, std::uint64_t, PlistValue>;

class RuntimeException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct RuntimeMethod {
    // Type encodings: "@" an object, "Q" unsigned 64-bit, "v" void, ":" a selector.
    std::string returnType;
    // Receiver and selector included.
    std::vector<std::string> argumentTypes;
    // Takes the receiver and the arguments after the selector; may raise.
    std::function<RuntimeValue(RuntimeObject& self, const std::vector<RuntimeValue>& arguments)> implementation;
};

class RuntimeClass : public std::enable_shared_from_this<RuntimeClass> {
public:
    explicit RuntimeClass(std::string name)
        : name_(std::move(name))
    {
    }

    const std::string& name() const { return name_; }
    void addMethod(const std::string& selector, RuntimeMethod method) { methods_[selector] = std::move(method); }
    // Null when the class has no such instance method.
    const RuntimeMethod* instanceMethod(const std::string& selector) const;
    // A fresh, uninitialised instance.
    ObjectRef allocate();

private:
    std::string name_;
    std::map<std::string, RuntimeMethod> methods_;
};

class RuntimeObject : public std::enable_shared_from_this<RuntimeObject> {
public:
    explicit RuntimeObject(std::shared_ptr<RuntimeClass> isa)
        : isa_(std::move(isa))
    {
    }

    const RuntimeClass& isa() const { return *isa_; }
    // Runs the method's implementation; an unknown selector raises.
    RuntimeValue send(const std::string& selector, const std::vector<RuntimeValue>& arguments = {});
    // Instance variables, by name.
    std::map<std::string, RuntimeValue> ivars;

private:
    std::shared_ptr<RuntimeClass> isa_;
};

class ObjectRuntime {
public:
    virtual ~ObjectRuntime() = default;
    // The class registered under `name`; null when there is none.
    virtual std::shared_ptr<RuntimeClass> lookUpClass(const std::string& name) = 0;
};

} // namespace pellamor
