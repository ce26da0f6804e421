// What assistive technologies see of a window card: a button, unavailable while the card is not interactive,
// whose press activates it as a key press does.
#pragma once

namespace pellamor {

// Idempotent; every card calls it.
void installWindowThumbnailAccessibility();

} // namespace pellamor
