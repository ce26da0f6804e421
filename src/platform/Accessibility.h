// Accessibility: process trust, and the elements of running applications with attributes and actions.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

namespace pellamor {

enum class AXError {
    success,
    failure,
    illegalArgument,
    invalidUIElement,
    cannotComplete,
    attributeUnsupported,
    actionUnsupported,
    noValue,
    apiDisabled,
};

class AXElement;
// An element stays the same object for as long as what it stands for exists.
using AXElementRef = std::shared_ptr<AXElement>;

// An attribute value: numbers, text, geometry, an element or a list of values.
class AXValue {
public:
    using Array = std::vector<AXValue>;
    using Storage = std::variant<bool, std::int64_t, double, std::string, QPointF, QSizeF, QRectF, AXElementRef, Array>;

    AXValue(bool value)
        : storage_(value)
    {
    }
    AXValue(int value)
        : storage_(std::int64_t { value })
    {
    }
    AXValue(std::int64_t value)
        : storage_(value)
    {
    }
    AXValue(double value)
        : storage_(value)
    {
    }
    AXValue(const char* value)
        : storage_(std::string(value))
    {
    }
    AXValue(std::string value)
        : storage_(std::move(value))
    {
    }
    AXValue(QPointF value)
        : storage_(value)
    {
    }
    AXValue(QSizeF value)
        : storage_(value)
    {
    }
    AXValue(QRectF value)
        : storage_(value)
    {
    }
    template <class Element, class = std::enable_if_t<std::is_base_of_v<AXElement, Element>>>
    AXValue(std::shared_ptr<Element> value)
        : storage_(AXElementRef(std::move(value)))
    {
    }
    AXValue(Array value)
        : storage_(std::move(value))
    {
    }

    template <class T> const T* as() const { return std::get_if<T>(&storage_); }
    const Storage& storage() const { return storage_; }

private:
    Storage storage_;
};

// A value or the error that stands in its place.
template <class T> class AXResult {
public:
    AXResult(T value)
        : state_(std::move(value))
    {
    }
    template <class Value,
        class = std::enable_if_t<
            std::is_constructible_v<T,
                Value&&> && !std::is_same_v<std::decay_t<Value>, AXError> && !std::is_same_v<std::decay_t<Value>, T>>>
    AXResult(Value&& value)
        : state_(T(std::forward<Value>(value)))
    {
    }
    AXResult(AXError error)
        : state_(error)
    {
    }

    bool ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return ok(); }
    AXError error() const { return ok() ? AXError::success : std::get<AXError>(state_); }
    const T& value() const { return std::get<T>(state_); }
    const T* operator->() const { return &value(); }

private:
    std::variant<T, AXError> state_;
};

class AXElement {
public:
    virtual ~AXElement() = default;

    virtual AXResult<AXValue> copyAttributeValue(const std::string& attribute) = 0;
    virtual AXResult<bool> isAttributeSettable(const std::string& attribute) = 0;
    virtual AXError setAttributeValue(const std::string& attribute, const AXValue& value) = 0;
    virtual AXResult<std::vector<std::string>> copyActionNames() = 0;
    virtual AXError performAction(const std::string& action) = 0;
    // How long one call may wait for the application; 0 restores the system's default.
    virtual AXError setMessagingTimeout(double seconds) = 0;
    virtual AXResult<int> pid() = 0;
};

class Accessibility {
public:
    virtual ~Accessibility() = default;

    // Asked without prompting.
    virtual bool isProcessTrusted() = 0;
    // With `prompt`, an untrusted process also makes the system ask the user.
    virtual bool isProcessTrustedWithOptions(bool prompt) = 0;
    virtual AXElementRef createApplication(int pid) = 0;
};

} // namespace pellamor
