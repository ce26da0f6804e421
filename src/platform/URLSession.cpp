#include "platform/URLSession.h"

#include "platform/Platform.h"

#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSslConfiguration>
#include <QUrl>
#include <algorithm>
#include <optional>

namespace pellamor {

class URLSession::Task final : public URLSessionTask, public std::enable_shared_from_this<Task> {
public:
    Task(std::function<void(URLLoadResult)> completion, double idleTimeout, std::size_t maximumBodyBytes)
        : completion_(std::move(completion))
        , idleTimeout_(idleTimeout)
        , maximumBodyBytes_(maximumBodyBytes)
    {
    }

    void start(QNetworkReply* reply, double resourceTimeout)
    {
        reply_ = reply;
        std::weak_ptr<Task> weak = weak_from_this();
        auto progressed = [weak] {
            if (auto task = weak.lock())
                task->armIdleTimer();
        };
        QObject::connect(reply, &QNetworkReply::uploadProgress, reply, progressed);
        QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, progressed);
        // The reply holds its task until it ends, as a URL session holds its running tasks.
        QObject::connect(reply, &QNetworkReply::readyRead, reply, [task = shared_from_this()] {
            task->armIdleTimer();
            task->readBody();
        });
        QObject::connect(reply, &QNetworkReply::finished, reply, [task = shared_from_this()] { task->finish(); });
        armIdleTimer();
        resourceTimer_ = platform().mainQueue().asyncAfter(resourceTimeout, [weak] {
            if (auto task = weak.lock())
                task->abort(URLError::timedOut);
        });
    }

    void cancel() override { abort(URLError::cancelled); }
    // Its owner is gone: the request ends without a completion.
    void abandon()
    {
        completion_ = nullptr;
        cancel();
    }

private:
    void abort(URLError reason)
    {
        if (done_ || !reply_)
            return;
        abortReason_ = reason;
        reply_->abort();
    }

    void armIdleTimer()
    {
        idleTimer_.cancel();
        std::weak_ptr<Task> weak = weak_from_this();
        idleTimer_ = platform().mainQueue().asyncAfter(idleTimeout_, [weak] {
            if (auto task = weak.lock())
                task->abort(URLError::timedOut);
        });
    }

    void readBody()
    {
        if (!reply_ || abortReason_)
            return;
        QByteArray chunk = reply_->readAll();
        if (maximumBodyBytes_ == 0)
            return;
        if (body_.size() + std::size_t(chunk.size()) > maximumBodyBytes_)
            return abort(URLError::badServerResponse);
        body_.append(chunk.constData(), std::size_t(chunk.size()));
    }

    URLLoadResult result()
    {
        if (abortReason_)
            return *abortReason_;
        QNetworkReply::NetworkError error = reply_->error();
        // Qt numbers transport and proxy failures below 200; above, the server did answer.
        if (error != QNetworkReply::NoError && error < 200) {
            switch (error) {
            case QNetworkReply::ConnectionRefusedError:
            case QNetworkReply::HostNotFoundError:
                return URLError::cannotConnect;
            case QNetworkReply::SslHandshakeFailedError:
                return URLError::secureConnectionFailed;
            case QNetworkReply::TimeoutError:
                return URLError::timedOut;
            case QNetworkReply::OperationCanceledError:
                return URLError::cancelled;
            default:
                return URLError::networkConnectionLost;
            }
        }
        QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!status.isValid())
            return URLError::badServerResponse;
        return HTTPResponse { status.toInt(), std::move(body_) };
    }

    void finish()
    {
        if (done_)
            return;
        readBody();
        done_ = true;
        idleTimer_.cancel();
        resourceTimer_.cancel();
        URLLoadResult outcome = result();
        reply_->deleteLater();
        if (!completion_)
            return;
        platform().mainQueue().async(
            [completion = std::move(completion_), outcome = std::move(outcome)] { completion(outcome); });
    }

    std::function<void(URLLoadResult)> completion_;
    double idleTimeout_;
    std::size_t maximumBodyBytes_;
    QPointer<QNetworkReply> reply_;
    std::optional<URLError> abortReason_;
    std::string body_;
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
    if (!manager_) {
        manager_ = std::make_unique<QNetworkAccessManager>();
        manager_->setAutoDeleteReplies(false);
        manager_->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    }
    double idleTimeout = std::min(request.timeoutInterval, configuration_.timeoutIntervalForRequest);
    auto task = std::make_shared<Task>(std::move(completion), idleTimeout, configuration_.maximumBodyBytes);
    std::erase_if(tasks_, [](const std::weak_ptr<Task>& weak) { return weak.expired(); });
    tasks_.push_back(task);

    QUrl url(QString::fromStdString(request.url), QUrl::StrictMode);
    QNetworkRequest qrequest;
    for (const auto& [name, value] : configuration_.additionalHeaders)
        qrequest.setRawHeader(QByteArray::fromStdString(name), QByteArray::fromStdString(value));
    for (const auto& [name, value] : request.headers)
        qrequest.setRawHeader(QByteArray::fromStdString(name), QByteArray::fromStdString(value));
    qrequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    qrequest.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    qrequest.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    qrequest.setAttribute(QNetworkRequest::AuthenticationReuseAttribute, QNetworkRequest::Manual);
    qrequest.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    qrequest.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);

    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    LoopbackRouting routing = platform().loopbackRouting();
    auto routed = routing.ports.find(url.host().toStdString());
    if (routed != routing.ports.end()) {
        QString host = url.host();
        qrequest.setRawHeader("Host", (url.port() >= 0 ? host + ':' + QString::number(url.port()) : host).toUtf8());
        qrequest.setPeerVerifyName(host);
        qrequest.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
        tls.addCaCertificates(QSslCertificate::fromData(QByteArray::fromStdString(routing.trustedCertificates)));
        manager_->setProxy(QNetworkProxy::NoProxy);
        url.setHost(QStringLiteral("127.0.0.1"));
        url.setPort(routed->second);
    }
    qrequest.setUrl(url);
    qrequest.setSslConfiguration(tls);

    QByteArray body = QByteArray::fromStdString(request.body);
    QNetworkReply* reply = request.method == "POST"
        ? manager_->post(qrequest, body)
        : manager_->sendCustomRequest(qrequest, QByteArray::fromStdString(request.method), body);
    task->start(reply, configuration_.timeoutIntervalForResource);
    return task;
}

} // namespace pellamor
