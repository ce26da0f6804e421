#include "platform/Platform.h"

#include <cassert>
#include <cstdlib>

namespace pellamor {

namespace {
Platform* installed = nullptr;
}

Platform& platform()
{
    assert(installed && "no platform installed");
    if (!installed)
        std::abort();
    return *installed;
}

bool hasPlatform()
{
    return installed != nullptr;
}

ScopedPlatform::ScopedPlatform(Platform& platform)
    : previous_(installed)
{
    installed = &platform;
}

ScopedPlatform::~ScopedPlatform()
{
    installed = previous_;
}

} // namespace pellamor
