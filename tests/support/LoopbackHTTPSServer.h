// An HTTPS server on 127.0.0.1 and an ephemeral port, standing in for the outside services: it keeps every
// request's raw bytes and answers each from the test's script.
#pragma once

#include "platform/LoopbackRouting.h"

#include <QObject>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QSslServer;
class QSslSocket;

namespace pellamor::test {

class TestMac;

struct ScriptedReply {
    enum class Action { answer, hang, close };
    Action action = Action::answer;
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body = "{}";
    // The body in chunks of at most 8 bytes instead of with its length.
    bool chunked = false;
    // Real milliseconds before the answer.
    int delayMilliseconds = 0;

    static ScriptedReply answering(int code, std::vector<std::pair<std::string, std::string>> headers = {})
    {
        ScriptedReply reply;
        reply.status = code;
        reply.headers = std::move(headers);
        return reply;
    }
    static ScriptedReply hang() { return of(Action::hang); }
    static ScriptedReply close() { return of(Action::close); }

private:
    static ScriptedReply of(Action action)
    {
        ScriptedReply reply;
        reply.action = action;
        return reply;
    }
};

struct ReceivedRequest {
    std::string raw;
    std::string method;
    std::string target;
    // Names in lower case, in the order received.
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // The value of the first header of that name (any case); empty when there is none.
    std::string header(const std::string& name) const;
    bool hasHeader(const std::string& name) const;
};

class LoopbackHTTPSServer : public QObject {
public:
    // `trusted`: a certificate from the test authority; otherwise one the client cannot trust.
    explicit LoopbackHTTPSServer(bool trusted = true);
    // Presents that certificate (PEM) with its key.
    LoopbackHTTPSServer(const std::string& leaf, const std::string& leafKey);
    ~LoopbackHTTPSServer() override;

    std::uint16_t port() const;
    // The hosts reached here, with the test authority to trust.
    LoopbackRouting routing(const std::vector<std::string>& hosts) const;
    // Routes those hosts of the test's machine to this server.
    void serve(TestMac& mac, const std::vector<std::string>& hosts) const;

    // Answers in order; once they are used up, 200 with "{}".
    void script(std::vector<ScriptedReply> replies);
    const std::vector<ReceivedRequest>& requests() const { return requests_; }
    // Every byte received after the handshakes, whole requests or not.
    std::size_t receivedBytes() const { return receivedBytes_; }

private:
    struct Connection;
    void accept();
    void readFrom(const std::shared_ptr<Connection>& connection);
    void answer(QSslSocket* socket, const ScriptedReply& reply);

    std::unique_ptr<QSslServer> server_;
    std::deque<ScriptedReply> script_;
    std::vector<ReceivedRequest> requests_;
    std::size_t receivedBytes_ = 0;
};

// Runs Qt's events and the machine's due blocks until `done` holds or `seconds` of real time pass.
bool pumpUntil(TestMac& mac, const std::function<bool()>& done, double seconds = 10);
// Runs them for a little real time, for what must not happen.
void pumpFor(TestMac& mac, double seconds);

} // namespace pellamor::test
