// Whether a server's certificate names the host a request was made for, the way macOS judges it: the common name
// counts only when the certificate gives no DNS alternative name.
#pragma once

class QSslCertificate;
class QString;

namespace pellamor {

// `host` as the request's address gives it (an address, or a name in any case, Unicode or ACE). A name with a
// wildcard matches as Qt's own check matches it: one "*" ending the left-most label of a name of three labels or
// more, never for an address.
bool certificateNamesHost(const QSslCertificate& certificate, const QString& host);

} // namespace pellamor
