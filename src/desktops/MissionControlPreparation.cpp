#include "desktops/MissionControlPreparation.h"

namespace pellamor {

MissionControlPreparation::Decision MissionControlPreparation::advance(double now, bool inputHeld, bool buttonReady)
{
    if (auto releasing = std::get_if<Releasing>(&phase)) {
        if (now >= releasing->deadline) {
            phase = Finished {};
            return Decision::failed(Failure::inputHeld);
        }
        if (inputHeld) {
            releasing->releasedSince.reset();
            return Decision::wait();
        }
        if (!releasing->releasedSince) {
            releasing->releasedSince = now;
            return Decision::wait();
        }
        if (now - *releasing->releasedSince < quietTime)
            return Decision::wait();
        phase = Button { now, now + buttonWindow };
        return Decision::open();
    }
    if (auto button = std::get_if<Button>(&phase)) {
        if (now >= button->deadline) {
            phase = Finished {};
            return Decision::failed(Failure::unavailableButton);
        }
        if (!inputHeld && buttonReady && now - button->openedAt >= dwell) {
            phase = Finished {};
            confirmationDeadline = now + confirmationWindow;
            return Decision::perform();
        }
    }
    return Decision::wait();
}

} // namespace pellamor
