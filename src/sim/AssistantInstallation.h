// Puts the world's assistant on the simulated Mac: its state file at launch and the script action "assistant".
#pragma once

#include "sim/SimulatedAssistant.h"

#include <memory>

namespace pellamor::sim {

class SimulatedMac;

// None when the world has no assistant; the action then refuses every step.
std::unique_ptr<SimulatedAssistant> installSimulatedAssistant(SimulatedMac& mac);

} // namespace pellamor::sim
