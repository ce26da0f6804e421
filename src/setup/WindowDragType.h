// The pasteboard type of a dragged window card.
#pragma once

namespace pellamor {

inline constexpr const char* windowDragType = "fr.local.pellamor.window";

} // namespace pellamor
