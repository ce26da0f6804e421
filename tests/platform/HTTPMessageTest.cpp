#include "platform/HTTPMessage.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

using State = HTTPResponseParser::State;

TEST(HTTPMessageTest, TheRequestCarriesOnlyItsHeadersAndThoseHTTPNeeds)
{
    EXPECT_EQ(httpRequestBytes("POST", "/2/httpapi?a=1", "api.example:8443",
                  { { "User-Agent", "Session/1" }, { "Content-Type", "application/json" }, { "user-agent", "Mine/2" },
                      { "Host", "elsewhere" }, { "Content-Length", "1" }, { "Connection", "keep-alive" },
                      { "X-Injected", "a\r\nEvil: 1" }, { "Bad Name", "x" }, { "", "x" } },
                  "{}"),
        "POST /2/httpapi?a=1 HTTP/1.1\r\nHost: api.example:8443\r\nContent-Type: application/json\r\n"
        "user-agent: Mine/2\r\nContent-Length: 2\r\nConnection: close\r\n\r\n{}");
    EXPECT_EQ(httpRequestBytes("POST", "/", "h", {}, ""),
        "POST / HTTP/1.1\r\nHost: h\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(httpRequestBytes("GET", "/", "h", {}, ""), "GET / HTTP/1.1\r\nHost: h\r\nConnection: close\r\n\r\n");
}

TEST(HTTPMessageTest, BodiesEndByLengthChunksOrTheConnection)
{
    HTTPResponseParser length(100);
    EXPECT_EQ(
        length.feed("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\ncontent-length: 5\r\n\r\nab"), State::reading);
    EXPECT_EQ(length.feed("cdeEXTRA"), State::complete);
    EXPECT_EQ(length.statusCode(), 200);
    EXPECT_EQ(length.takeBody(), "abcde");

    HTTPResponseParser chunks(100);
    std::string chunked = "HTTP/1.1 202 Accepted\nTransfer-Encoding: gzip, Chunked\n\n3;ext=1\r\n{\"c\r\n"
                          "B\r\node\":200}\r\n\r\n0\r\nTrailer: x\r\n\r\n";
    for (char c : chunked)
        chunks.feed(std::string_view(&c, 1));
    EXPECT_EQ(chunks.state(), State::complete);
    EXPECT_EQ(chunks.statusCode(), 202);
    EXPECT_EQ(chunks.takeBody(), "{\"code\":200}\r\n");

    HTTPResponseParser untilClose(100);
    EXPECT_EQ(untilClose.feed("HTTP/1.0 500\r\n\r\nfailure"), State::reading);
    EXPECT_EQ(untilClose.finish(), State::complete);
    EXPECT_EQ(untilClose.takeBody(), "failure");

    // Without a body to keep, the head is the whole answer; a cut answer stays unfinished.
    HTTPResponseParser discarded(0);
    EXPECT_EQ(discarded.feed("HTTP/1.1 429 Too Many Requests\r\nContent-Length: 900\r\n\r\n"), State::complete);
    EXPECT_EQ(discarded.statusCode(), 429);
    HTTPResponseParser cut(100);
    cut.feed("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc");
    EXPECT_EQ(cut.finish(), State::reading);
    HTTPResponseParser noContent(100);
    EXPECT_EQ(noContent.feed("HTTP/1.1 204 No Content\r\n\r\n"), State::complete);
    HTTPResponseParser empty(100);
    EXPECT_EQ(empty.feed("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"), State::complete);
    EXPECT_EQ(empty.feed("late"), State::complete);
    EXPECT_EQ(empty.takeBody(), "");
}

TEST(HTTPMessageTest, TheHeadMayTakeSixtyFourKibibytesAndAChunkSizeFifteenDigits)
{
    const std::string start = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\nX: ";
    std::string head = start + std::string(64 * 1024 - start.size() - 4, 'x') + "\r\n\r\n";
    ASSERT_EQ(head.size(), 64u * 1024);
    HTTPResponseParser longest(100);
    EXPECT_EQ(longest.feed(head), State::complete);
    HTTPResponseParser longer(100);
    EXPECT_EQ(longer.feed(head.insert(start.size(), "x")), State::malformed);

    const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    HTTPResponseParser fifteen(100);
    EXPECT_EQ(fifteen.feed(chunked + std::string(14, '0') + "3\r\nabc\r\n0\r\n\r\n"), State::complete);
    EXPECT_EQ(fifteen.takeBody(), "abc");
    HTTPResponseParser sixteen(100);
    EXPECT_EQ(sixteen.feed(chunked + std::string(15, '0') + "3\r\nabc\r\n0\r\n\r\n"), State::malformed);
}

TEST(HTTPMessageTest, MalformedOrOversizedAnswersAreRefused)
{
    for (const std::string& answer : std::vector<std::string> { "HTTP/2 200 OK\r\n\r\n", "HTTP/1.1 20 OK\r\n\r\n",
             "HTTP/1.1 200OK\r\n\r\n", "HTTP/1.1 600 X\r\n\r\n", "HTTP/1.1 200 OK\r\nNoColon\r\n\r\n",
             "HTTP/1.1 200 OK\r\n : x\r\n\r\n", "HTTP/1.1 200 OK\r\nContent-Length: 1x\r\n\r\n",
             "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nContent-Length: 3\r\n\r\n",
             "HTTP/1.1 200 OK\r\nContent-Length: 1000000000000000000\r\n\r\n",
             "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
             "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1000000000000000\r\n",
             "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nabX\r\n",
             "HTTP/1.1 200 OK\r\nX: " + std::string(70000, 'x') }) {
        HTTPResponseParser parser(100);
        EXPECT_EQ(parser.feed(answer), State::malformed) << answer.substr(0, 60);
    }
    for (const std::string& answer : std::vector<std::string> { "HTTP/1.1 200 OK\r\nContent-Length: 101\r\n\r\n",
             "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n40\r\n" + std::string(64, 'a') + "\r\n25\r\n",
             "HTTP/1.1 200 OK\r\n\r\n" + std::string(101, 'a') }) {
        HTTPResponseParser parser(100);
        EXPECT_EQ(parser.feed(answer), State::tooLarge) << answer.substr(0, 60);
    }
    HTTPResponseParser exact(100);
    EXPECT_EQ(exact.feed("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + std::string(100, 'a')), State::complete);
}

} // namespace
} // namespace pellamor
