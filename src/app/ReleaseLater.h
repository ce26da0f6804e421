// Releases a sheet's controller on the next main-queue turn, since sheets call back from their own buttons.
#pragma once

#include "platform/Platform.h"

#include <memory>

namespace pellamor {

template <class Controller> void releaseLater(std::unique_ptr<Controller> controller)
{
    std::shared_ptr<Controller> doomed(std::move(controller));
    platform().mainQueue().async([doomed] {});
}

template <class Object> void releaseLater(std::shared_ptr<Object> object)
{
    platform().mainQueue().async([object] {});
}

} // namespace pellamor
