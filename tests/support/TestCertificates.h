// Certificates for the loopback HTTPS server, made once per test process with the `openssl` command: a test
// authority and leaves it signed for the outside services' host names, and a self-signed leaf nobody trusts.
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
    // Signed by the authority for the same host names, with `commonNameHost` as its common name; `leafKey`'s.
    std::string commonNameLeaf;

    // A host only the common name of `commonNameLeaf` names.
    static constexpr const char* commonNameHost = "service.example";

    // The host names every leaf is valid for.
    static const std::vector<std::string>& hosts();
    // A self-signed certificate (PEM) with that subject and those alternative names ("DNS:a,DNS:b"; none if empty).
    static std::string selfSigned(const std::string& subject, const std::string& alternativeNames);
    // Fails the test run when `openssl` is missing.
    static const TestCertificates& shared();
};

} // namespace pellamor::test
