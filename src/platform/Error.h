// A failure with a domain, a code and a text for the user, as the system's own errors carry them.
#pragma once

#include <string>

namespace pellamor {

struct Error {
    std::string domain;
    int code = 0;
    std::string localizedDescription;
    friend bool operator==(const Error&, const Error&) = default;
};

} // namespace pellamor
