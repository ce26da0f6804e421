// An immutable value shared between copies, so that large snapshots copy in constant time.
#pragma once

#include <memory>

namespace pellamor {

template <class T> class SharedValue {
public:
    SharedValue()
        : value_(std::make_shared<const T>())
    {
    }
    SharedValue(T value)
        : value_(std::make_shared<const T>(std::move(value)))
    {
    }

    const T& operator*() const { return *value_; }
    const T* operator->() const { return value_.get(); }

    friend bool operator==(const SharedValue& a, const SharedValue& b)
    {
        return a.value_ == b.value_ || *a.value_ == *b.value_;
    }

private:
    std::shared_ptr<const T> value_;
};

} // namespace pellamor
