#include "platform/CertificateHostName.h"

#include "support/TestCertificates.h"

#include <QSslCertificate>
#include <QString>
#include <gtest/gtest.h>

namespace pellamor {
namespace {

QSslCertificate certificate(const std::string& subject, const std::string& alternativeNames)
{
    return QSslCertificate(QByteArray::fromStdString(test::TestCertificates::selfSigned(subject, alternativeNames)));
}

TEST(CertificateHostNameTest, TheAlternativeNamesDecideAndAWildcardStandsForOneLabel)
{
    QSslCertificate named = certificate("/CN=cn.example",
        "DNS:exact.example,DNS:*.example.com,DNS:f*.example.org,DNS:*.com,DNS:*.*.bad.example");
    ASSERT_FALSE(named.isNull());
    EXPECT_TRUE(certificateNamesHost(named, "exact.example"));
    EXPECT_FALSE(certificateNamesHost(named, "cn.example")) << "the common name is not asked";
    EXPECT_TRUE(certificateNamesHost(named, "A.Example.COM"));
    EXPECT_FALSE(certificateNamesHost(named, "example.com"));
    EXPECT_FALSE(certificateNamesHost(named, "a.b.example.com"));
    EXPECT_TRUE(certificateNamesHost(named, "foo.example.org"));
    EXPECT_FALSE(certificateNamesHost(named, "bar.example.org"));
    EXPECT_FALSE(certificateNamesHost(named, "x.com"));
    EXPECT_FALSE(certificateNamesHost(named, "a.b.bad.example"));

    QSslCertificate unnamed = certificate("/CN=*.wild.example", "");
    ASSERT_FALSE(unnamed.isNull());
    EXPECT_TRUE(certificateNamesHost(unnamed, "a.wild.example"));
    EXPECT_FALSE(certificateNamesHost(unnamed, "wild.example"));
}

} // namespace
} // namespace pellamor
