// Foundation's ephemeral URL sessions, speaking HTTP/1.1 over Qt's TLS sockets: one connection per request,
// nothing kept (no cookies, credentials or cache), no header but the request's, the session's and those HTTP
// needs, redirects not followed so that a 3xx answer is the final response, a certificate's common name ignored
// when it has DNS alternative names, and the time-outs on the main queue's clock. Main thread only; every
// completion runs once, on a later turn of the main queue.
#pragma once

#include "platform/HTTPMessage.h"
#include "platform/MainQueue.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace pellamor {

struct URLRequest {
    std::string url;
    std::string method = "GET";
    HTTPHeaders headers;
    std::string body;
    // Seconds without progress before the request fails.
    double timeoutInterval = 60;
};

struct HTTPResponse {
    int statusCode = 0;
    // Empty when the session discards bodies.
    std::string body;
};

enum class URLError {
    cancelled,
    timedOut,
    cannotConnect,
    secureConnectionFailed,
    networkConnectionLost,
    badServerResponse,
};

using URLLoadResult = std::variant<HTTPResponse, URLError>;

struct URLSessionConfiguration {
    // Seconds without progress, and in all, before a request fails.
    double timeoutIntervalForRequest = 60;
    double timeoutIntervalForResource = 7 * 24 * 3600;
    HTTPHeaders additionalHeaders;
    // A longer body fails with badServerResponse; 0 discards bodies unread.
    std::size_t maximumBodyBytes = 0;
};

class URLSessionTask {
public:
    virtual ~URLSessionTask() = default;
    // The completion then receives `cancelled`, unless it already had its result.
    virtual void cancel() = 0;
};

class URLSession {
public:
    explicit URLSession(URLSessionConfiguration configuration);
    // Cancels every outstanding task; their completions do not run.
    ~URLSession();
    URLSession(const URLSession&) = delete;
    URLSession& operator=(const URLSession&) = delete;

    std::shared_ptr<URLSessionTask> dataTask(URLRequest request, std::function<void(URLLoadResult)> completion);

private:
    class Task;

    URLSessionConfiguration configuration_;
    std::vector<std::weak_ptr<Task>> tasks_;
};

} // namespace pellamor
