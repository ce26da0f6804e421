// What a machine says about itself to outside services: its system version, and, on a test machine, the
// outside hosts it answers from its own loopback address.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace pellamor {

struct OperatingSystemVersion {
    int major = 0;
    int minor = 0;
    int patch = 0;
};

// A host named here is reached on 127.0.0.1 at its port, still asked for by its own name (Host header, server
// name, certificate check), with no proxy; `trustedCertificates` (PEM) are trusted beside the system's.
struct LoopbackRouting {
    std::map<std::string, std::uint16_t> ports;
    std::string trustedCertificates;
};

} // namespace pellamor
