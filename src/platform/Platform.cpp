#include "platform/Platform.h"

#include <cassert>
#include <cstdlib>
#include <unistd.h>

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

int Platform::processIdentifier()
{
    return static_cast<int>(::getpid());
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
