#include "platform/URLSession.h"

#include "platform/CertificateHostName.h"
#include "platform/Platform.h"

#include <QNetworkProxy>
#include <QPointer>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QUrl>
#include <algorithm>
#include <optional>

namespace pellamor {
namespace {

URLError socketFailure(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
    case QAbstractSocket::HostNotFoundError:
        return URLError::cannotConnect;
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        return URLError::secureConnectionFailed;
    case QAbstractSocket::SocketTimeoutError:
        return URLError::timedOut;
    default:
        return URLError::networkConnectionLost;
    }
}

} // namespace

class URLSession::Task final : public URLSessionTask, public std::enable_shared_from_this<Task> {
public:
    Task(std::function<void(URLLoadResult)> completion, double idleTimeout, std::size_t maximumBodyBytes)
        : completion_(std::move(completion))
        , idleTimeout_(idleTimeout)
        , parser_(maximumBodyBytes)
    {
    }

    ~Task() override
    {
        if (socket_)
            socket_->deleteLater();
    }

    void start(const URLRequest& request, const URLSessionConfiguration& configuration)
    {
        QUrl url(QString::fromStdString(request.url), QUrl::StrictMode);
        bool secure = url.scheme() == QLatin1String("https");
        if (!url.isValid() || url.host().isEmpty() || (!secure && url.scheme() != QLatin1String("http")))
            return end(URLError::cannotConnect);
        QString host = url.host(QUrl::FullyEncoded);
        QString target = url.path(QUrl::FullyEncoded);
        if (target.isEmpty())
            target = QStringLiteral("/");
        if (url.hasQuery())
            target += '?' + url.query(QUrl::FullyEncoded);
        HTTPHeaders headers = configuration.additionalHeaders;
        headers.insert(headers.end(), request.headers.begin(), request.headers.end());
        requestBytes_ = httpRequestBytes(request.method, target.toStdString(),
            (url.port() >= 0 ? host + ':' + QString::number(url.port()) : host).toStdString(), headers,
            request.body);

        socket_ = new QSslSocket;
        QSslSocket* socket = socket_;
        std::weak_ptr<Task> weak = weak_from_this();
        auto progressed = [weak](qint64) {
            if (auto task = weak.lock())
                task->armIdleTimer();
        };
        QObject::connect(socket, &QSslSocket::encryptedBytesWritten, socket, progressed);
        QObject::connect(socket, &QAbstractSocket::bytesWritten, socket, progressed);
        // The socket holds its task until it ends, as a URL session holds its running tasks.
        auto self = shared_from_this();
        auto write = [self] { self->socket_->write(QByteArray::fromStdString(self->requestBytes_)); };
        // Qt's own name check also lets the common name stand beside alternative names that say otherwise.
        auto writeToNamedHost = [self, write, host] {
            if (!certificateNamesHost(self->socket_->peerCertificate(), host))
                return self->end(URLError::secureConnectionFailed);
            write();
        };
        if (secure)
            QObject::connect(socket, &QSslSocket::encrypted, socket, writeToNamedHost);
        else
            QObject::connect(socket, &QAbstractSocket::connected, socket, write);
        QObject::connect(socket, &QIODevice::readyRead, socket, [self] { self->read(); });
        QObject::connect(socket, &QAbstractSocket::disconnected, socket, [self] { self->closed(); });
        QObject::connect(socket, &QAbstractSocket::errorOccurred, socket, [self](QAbstractSocket::SocketError error) {
            if (error == QAbstractSocket::RemoteHostClosedError)
                return self->closed();
            self->end(socketFailure(error));
        });

        quint16 port = quint16(url.port(secure ? 443 : 80));
        QString address = host;
        LoopbackRouting routing = platform().loopbackRouting();
        auto routed = routing.ports.find(url.host().toStdString());
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        if (routed != routing.ports.end()) {
            tls.addCaCertificates(QSslCertificate::fromData(QByteArray::fromStdString(routing.trustedCertificates)));
            socket->setProxy(QNetworkProxy::NoProxy);
            address = QStringLiteral("127.0.0.1");
            port = routed->second;
        }
        armIdleTimer();
        resourceTimer_ = platform().mainQueue().asyncAfter(configuration.timeoutIntervalForResource, [weak] {
            if (auto task = weak.lock())
                task->end(URLError::timedOut);
        });
        if (!secure)
            return socket->connectToHost(address, port);
        socket->setSslConfiguration(tls);
        socket->connectToHostEncrypted(address, port, host);
    }

    void cancel() override { end(URLError::cancelled); }
    // Its owner is gone: the request ends without a completion.
    void abandon()
    {
        completion_ = nullptr;
        cancel();
    }

private:
    void armIdleTimer()
    {
        idleTimer_.cancel();
        std::weak_ptr<Task> weak = weak_from_this();
        idleTimer_ = platform().mainQueue().asyncAfter(idleTimeout_, [weak] {
            if (auto task = weak.lock())
                task->end(URLError::timedOut);
        });
    }

    void read()
    {
        if (done_ || !socket_)
            return;
        armIdleTimer();
        QByteArray bytes = socket_->readAll();
        switch (parser_.feed(std::string_view(bytes.constData(), std::size_t(bytes.size())))) {
        case HTTPResponseParser::State::reading:
            return;
        case HTTPResponseParser::State::complete:
            return end(HTTPResponse { parser_.statusCode(), parser_.takeBody() });
        case HTTPResponseParser::State::malformed:
        case HTTPResponseParser::State::tooLarge:
            return end(URLError::badServerResponse);
        }
    }

    // The server ended the connection: what it sent may still be a whole answer.
    void closed()
    {
        read();
        if (done_)
            return;
        if (parser_.finish() == HTTPResponseParser::State::complete)
            return end(HTTPResponse { parser_.statusCode(), parser_.takeBody() });
        end(URLError::networkConnectionLost);
    }

    void end(URLLoadResult outcome)
    {
        if (done_)
            return;
        done_ = true;
        idleTimer_.cancel();
        resourceTimer_.cancel();
        if (socket_) {
            QObject::disconnect(socket_, nullptr, nullptr, nullptr);
            socket_->abort();
            socket_->deleteLater();
        }
        if (!completion_)
            return;
        platform().mainQueue().async(
            [completion = std::move(completion_), outcome = std::move(outcome)] { completion(outcome); });
    }

    std::function<void(URLLoadResult)> completion_;
    double idleTimeout_;
    HTTPResponseParser parser_;
    std::string requestBytes_;
    QPointer<QSslSocket> socket_;
    WorkItem idleTimer_;
    WorkItem resourceTimer_;
    bool done_ = false;
};

URLSession::URLSession(URLSessionConfiguration configuration)
    : configuration_(std::move(configuration))
{
}

URLSession::~URLSession()
{
    for (const std::weak_ptr<Task>& weak : tasks_) {
        if (auto task = weak.lock())
            task->abandon();
    }
}

std::shared_ptr<URLSessionTask> URLSession::dataTask(
    URLRequest request, std::function<void(URLLoadResult)> completion)
{
    double idleTimeout = std::min(request.timeoutInterval, configuration_.timeoutIntervalForRequest);
    auto task = std::make_shared<Task>(std::move(completion), idleTimeout, configuration_.maximumBodyBytes);
    std::erase_if(tasks_, [](const std::weak_ptr<Task>& weak) { return weak.expired(); });
    tasks_.push_back(task);
    task->start(request, configuration_);
    return task;
}

} // namespace pellamor
