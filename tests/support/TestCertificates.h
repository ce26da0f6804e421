// Certificates for the loopback HTTPS server, made once per test process with the `openssl` command: a test
// authority and a leaf it signed for the outside services' host names, and a self-signed leaf nobody trusts.
#pragma once

#include <string>
#include <vector>

namespace pellamor::test {

struct TestCertificates {
    std::string authority;
    std::string leaf;
    std::string leafKey;
    std::string untrustedLeaf;
    std::string untrustedLeafKey;

    // The host names both leaves are valid for.
    static const std::vector<std::string>& hosts();
    // Fails the test run when `openssl` is missing.
    static const TestCertificates& shared();
};

} // namespace pellamor::test
