#include "support/TestCertificates.h"

#include "platform/FileContents.h"
#include "support/TemporaryDirectory.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace pellamor::test {
namespace {

std::string names()
{
    std::string list;
    for (const std::string& host : TestCertificates::hosts())
        list += (list.empty() ? "DNS:" : ",DNS:") + host;
    return list;
}

void run(const std::string& command)
{
    if (std::system((command + " 2>/dev/null >/dev/null").c_str()) != 0)
        throw std::runtime_error("openssl failed: " + command);
}

std::string contents(const std::filesystem::path& path)
{
    FileRead read = readFileContents(path, 1 << 20);
    if (read.status != FileRead::Status::read)
        throw std::runtime_error("unreadable " + path.string());
    return read.contents;
}

TestCertificates make()
{
    TemporaryDirectory folder;
    std::string in = "cd '" + folder.path().string() + "' && openssl ";
    const std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    {
        std::ofstream extensions(folder.path() / "leaf.ext");
        extensions << "subjectAltName=" << names() << "\nbasicConstraints=CA:FALSE\n"
                   << "keyUsage=digitalSignature\nextendedKeyUsage=serverAuth\n";
    }
    run(in + "req -x509" + key + " -keyout ca.key -out ca.pem -days 2 -subj '/CN=Pellamor Test Authority'"
        + " -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign");
    auto sign = [&](const std::string& name) {
        run(in + "x509 -req -in " + name + ".csr -CA ca.pem -CAkey ca.key -CAcreateserial -out " + name
            + ".pem -days 2 -extfile leaf.ext");
    };
    run(in + "req" + key + " -keyout leaf.key -out leaf.csr -subj /CN=loopback");
    sign("leaf");
    run(in + "req -new -key leaf.key -out named.csr -subj /CN=" + TestCertificates::commonNameHost);
    sign("named");
    run(in + "req -x509" + key + " -keyout other.key -out other.pem -days 2 -subj /CN=untrusted"
        + " -addext subjectAltName=" + names());
    return { contents(folder.path() / "ca.pem"), contents(folder.path() / "leaf.pem"),
        contents(folder.path() / "leaf.key"), contents(folder.path() / "other.pem"),
        contents(folder.path() / "other.key"), contents(folder.path() / "named.pem") };
}

} // namespace

const std::vector<std::string>& TestCertificates::hosts()
{
    static const std::vector<std::string> list { "sentry.io", "o17.ingest.sentry.io", "o17.ingest.de.sentry.io",
        "o17.ingest.us.sentry.io", "api2.amplitude.com", "api.eu.amplitude.com" };
    return list;
}

std::string TestCertificates::selfSigned(const std::string& subject, const std::string& alternativeNames)
{
    TemporaryDirectory folder;
    run("cd '" + folder.path().string() + "' && openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1"
        + " -nodes -keyout key.pem -out certificate.pem -days 2 -subj '" + subject + "'"
        + (alternativeNames.empty() ? "" : " -addext subjectAltName=" + alternativeNames));
    return contents(folder.path() / "certificate.pem");
}

const TestCertificates& TestCertificates::shared()
{
    static const TestCertificates certificates = make();
    return certificates;
}

} // namespace pellamor::test
