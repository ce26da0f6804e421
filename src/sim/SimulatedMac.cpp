#include "sim/SimulatedMac.h"

#include "platform/ThreadSerialQueue.h"

namespace pellamor::sim {

namespace {
const char* const backgroundLabel = "fr.local.pellamor.window-inventory";
}

SimulatedMac::SimulatedMac(EventLoop& loop, MacSetup setup)
    : loop_(loop)
    , mainQueue_(loop)
    , defaults_(std::move(setup.defaultsStorage))
    , home_(std::move(setup.home))
    , resources_(std::move(setup.resources))
    , preferredLanguages_(std::move(setup.preferredLanguages))
{
    if (setup.threadedBackground)
        background_ = std::make_unique<ThreadSerialQueue>(backgroundLabel);
    else
        background_ = std::make_unique<MainThreadSerialQueue>(backgroundLabel, mainQueue_);
}

SimulatedMac::~SimulatedMac() = default;

} // namespace pellamor::sim
