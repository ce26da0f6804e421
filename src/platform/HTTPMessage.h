// HTTP/1.1 as the URL sessions speak it: the request's bytes, with no header beyond those given and those the
// protocol needs, and the response read as its bytes arrive.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pellamor {

using HTTPHeaders = std::vector<std::pair<std::string, std::string>>;

// The request line, "Host", the given headers (a later one replaces an earlier one of the same name, in any
// case), "Content-Length" when there is a body or the method is POST, "Connection: close", then the body.
// Headers named Host, Content-Length or Connection, and names or values that would break the framing, are
// left out.
std::string httpRequestBytes(const std::string& method, const std::string& target, const std::string& host,
    const HTTPHeaders& headers, const std::string& body);

// One response: the status, then the body framed by "Content-Length", by chunks or by the end of the
// connection. Interim (1xx) answers are skipped. The head is bounded; the body is kept up to a limit.
class HTTPResponseParser {
public:
    enum class State { reading, complete, malformed, tooLarge };

    // 0 keeps no body: the response is complete at the end of its head.
    explicit HTTPResponseParser(std::size_t maximumBodyBytes);

    State feed(std::string_view bytes);
    // The connection ended; completes a body that runs to that end.
    State finish();

    State state() const { return state_; }
    int statusCode() const { return statusCode_; }
    std::string takeBody() { return std::move(body_); }

private:
    enum class Phase { head, fixedBody, chunkSize, chunkData, chunkEnd, trailers, untilClose };

    void step();
    bool takeLine(std::string& line);
    void readHead(const std::string& line);
    void endHead();
    void readChunkSize(const std::string& line);
    void keep(std::string_view bytes);
    void fail(State state)
    {
        state_ = state;
        body_.clear();
    }

    std::size_t maximumBodyBytes_;
    State state_ = State::reading;
    Phase phase_ = Phase::head;
    std::string pending_;
    std::size_t headBytes_ = 0;
    bool sawStatus_ = false;
    int statusCode_ = 0;
    // A "Transfer-Encoding" was given; `chunked_` when its last coding is "chunked".
    bool encoded_ = false;
    bool chunked_ = false;
    bool hasLength_ = false;
    std::size_t remaining_ = 0;
    std::string body_;
};

} // namespace pellamor
