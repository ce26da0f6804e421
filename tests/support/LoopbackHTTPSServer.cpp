#include "support/LoopbackHTTPSServer.h"

#include "support/TestCertificates.h"
#include "support/TestMac.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace pellamor::test {
namespace {

std::string lowercase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

std::string reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 401:
        return "Unauthorized";
    case 429:
        return "Too Many Requests";
    default:
        return "Status";
    }
}

// One complete request at the start of `buffer`, removed from it; false while it is incomplete.
bool takeRequest(std::string& buffer, ReceivedRequest& request)
{
    std::size_t end = buffer.find("\r\n\r\n");
    if (end == std::string::npos)
        return false;
    std::string head = buffer.substr(0, end);
    ReceivedRequest parsed;
    std::size_t lineEnd = head.find("\r\n");
    std::string requestLine = head.substr(0, lineEnd);
    std::size_t space = requestLine.find(' ');
    parsed.method = requestLine.substr(0, space);
    parsed.target = requestLine.substr(space + 1, requestLine.rfind(' ') - space - 1);
    std::size_t length = 0;
    while (lineEnd != std::string::npos) {
        std::size_t next = head.find("\r\n", lineEnd + 2);
        std::string line = head.substr(lineEnd + 2, next == std::string::npos ? std::string::npos : next - lineEnd - 2);
        std::size_t colon = line.find(':');
        std::string name = lowercase(line.substr(0, colon));
        std::string value = line.substr(std::min(line.size(), line.find_first_not_of(' ', colon + 1)));
        parsed.headers.emplace_back(name, value);
        if (name == "content-length")
            length = std::stoul(value);
        lineEnd = next;
    }
    if (buffer.size() < end + 4 + length)
        return false;
    parsed.body = buffer.substr(end + 4, length);
    parsed.raw = buffer.substr(0, end + 4 + length);
    buffer.erase(0, end + 4 + length);
    request = std::move(parsed);
    return true;
}

} // namespace

std::string ReceivedRequest::header(const std::string& name) const
{
    for (const auto& [key, value] : headers) {
        if (key == lowercase(name))
            return value;
    }
    return {};
}

bool ReceivedRequest::hasHeader(const std::string& name) const
{
    return std::any_of(headers.begin(), headers.end(), [&](const auto& entry) { return entry.first == lowercase(name); });
}

struct LoopbackHTTPSServer::Connection {
    QPointer<QSslSocket> socket;
    std::string buffer;
};

LoopbackHTTPSServer::LoopbackHTTPSServer(bool trusted)
    : LoopbackHTTPSServer(trusted ? TestCertificates::shared().leaf : TestCertificates::shared().untrustedLeaf,
        trusted ? TestCertificates::shared().leafKey : TestCertificates::shared().untrustedLeafKey)
{
}

LoopbackHTTPSServer::LoopbackHTTPSServer(const std::string& leaf, const std::string& leafKey)
    : server_(std::make_unique<QSslServer>())
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(QSslCertificate(QByteArray::fromStdString(leaf), QSsl::Pem));
    configuration.setPrivateKey(QSslKey(QByteArray::fromStdString(leafKey), QSsl::Ec));
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    server_->setSslConfiguration(configuration);
    QObject::connect(server_.get(), &QTcpServer::pendingConnectionAvailable, this, [this] { accept(); });
    if (!server_->listen(QHostAddress::LocalHost, 0))
        throw std::runtime_error("the loopback server cannot listen");
}

LoopbackHTTPSServer::~LoopbackHTTPSServer() = default;

std::uint16_t LoopbackHTTPSServer::port() const
{
    return server_->serverPort();
}

LoopbackRouting LoopbackHTTPSServer::routing(const std::vector<std::string>& hosts) const
{
    LoopbackRouting routing;
    for (const std::string& host : hosts)
        routing.ports[host] = port();
    routing.trustedCertificates = TestCertificates::shared().authority;
    return routing;
}

void LoopbackHTTPSServer::serve(TestMac& mac, const std::vector<std::string>& hosts) const
{
    mac.world().loopback = routing(hosts);
}

void LoopbackHTTPSServer::script(std::vector<ScriptedReply> replies)
{
    script_.assign(replies.begin(), replies.end());
}

void LoopbackHTTPSServer::accept()
{
    while (QTcpSocket* pending = server_->nextPendingConnection()) {
        auto connection = std::make_shared<Connection>();
        connection->socket = qobject_cast<QSslSocket*>(pending);
        QObject::connect(pending, &QTcpSocket::disconnected, pending, &QObject::deleteLater);
        QObject::connect(pending, &QTcpSocket::readyRead, this, [this, connection] { readFrom(connection); });
        readFrom(connection);
    }
}

void LoopbackHTTPSServer::readFrom(const std::shared_ptr<Connection>& connection)
{
    if (!connection->socket)
        return;
    QByteArray bytes = connection->socket->readAll();
    receivedBytes_ += std::size_t(bytes.size());
    connection->buffer.append(bytes.constData(), std::size_t(bytes.size()));
    ReceivedRequest request;
    while (connection->socket && takeRequest(connection->buffer, request)) {
        requests_.push_back(std::move(request));
        ScriptedReply reply;
        if (!script_.empty()) {
            reply = script_.front();
            script_.pop_front();
        }
        if (reply.delayMilliseconds == 0) {
            answer(connection->socket, reply);
            continue;
        }
        QPointer<QSslSocket> socket = connection->socket;
        QTimer::singleShot(reply.delayMilliseconds, this, [this, socket, reply] { answer(socket, reply); });
    }
}

void LoopbackHTTPSServer::answer(QSslSocket* socket, const ScriptedReply& reply)
{
    if (!socket || reply.action == ScriptedReply::Action::hang)
        return;
    if (reply.action == ScriptedReply::Action::close)
        return socket->abort();
    std::string head = "HTTP/1.1 " + std::to_string(reply.status) + " " + reason(reply.status) + "\r\n";
    head += reply.chunked ? "Transfer-Encoding: chunked\r\n"
                          : "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
    for (const auto& [name, value] : reply.headers)
        head += name + ": " + value + "\r\n";
    std::string body = reply.body;
    if (reply.chunked) {
        body.clear();
        for (std::size_t at = 0; at < reply.body.size(); at += 8) {
            std::string chunk = reply.body.substr(at, 8);
            body += std::to_string(chunk.size()) + "\r\n" + chunk + "\r\n";
        }
        body += "0\r\n\r\n";
    }
    socket->write(QByteArray::fromStdString(head + "\r\n" + body));
}

bool pumpUntil(TestMac& mac, const std::function<bool()>& done, double seconds)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
        if (elapsed.elapsed() > qint64(seconds * 1000))
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        mac.clock().runPending();
        QThread::msleep(1);
    }
    return true;
}

void pumpFor(TestMac& mac, double seconds)
{
    pumpUntil(mac, [] { return false; }, seconds);
}

} // namespace pellamor::test
