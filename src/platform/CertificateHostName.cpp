#include "platform/CertificateHostName.h"

#include <QHostAddress>
#include <QSslCertificate>
#include <QString>
#include <QUrl>
#include <algorithm>

namespace pellamor {
namespace {

// `host` is in lower-case ACE form; the certificate's names may be in any case or in Unicode.
bool nameMatches(const QString& name, const QString& host)
{
    if (!name.contains(u'*'))
        return QString::fromLatin1(QUrl::toAce(name)) == host;
    // The star ends the left-most label, once, outside an internationalised label, and stands for no address.
    qsizetype star = name.indexOf(u'*');
    qsizetype firstDot = name.indexOf(u'.');
    if (star + 1 != firstDot || name.count(u'*') != 1 || name.startsWith(u"xn--", Qt::CaseInsensitive)
        || !QHostAddress(host).isNull())
        return false;
    QString parent = QString::fromLatin1(QUrl::toAce(name.mid(firstDot + 1)));
    qsizetype dot = host.indexOf(u'.');
    return parent.split(u'.', Qt::SkipEmptyParts).size() >= 2 && dot > 0 && dot >= star
        && QStringView(host).left(star).compare(QStringView(name).left(star), Qt::CaseInsensitive) == 0
        && host.mid(dot + 1) == parent;
}

} // namespace

bool certificateNamesHost(const QSslCertificate& certificate, const QString& host)
{
    const auto alternatives = certificate.subjectAlternativeNames();
    QHostAddress address(host);
    if (!address.isNull()) {
        for (const QString& entry : alternatives.values(QSsl::AlternativeNameEntryType::IpAddressEntry)) {
            if (QHostAddress(entry).isEqual(address, QHostAddress::StrictConversion))
                return true;
        }
    }
    QStringList names = alternatives.values(QSsl::AlternativeNameEntryType::DnsEntry);
    if (names.isEmpty())
        names = certificate.subjectInfo(QSslCertificate::CommonName);
    QString ace = QString::fromLatin1(QUrl::toAce(host));
    return std::any_of(names.begin(), names.end(), [&](const QString& name) { return nameMatches(name, ace); });
}

} // namespace pellamor
