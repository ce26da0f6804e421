// HTTP answers: any bytes, in any pieces, end in one state, and a kept body stays within its limit.
#include "platform/HTTPMessage.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::size_t limit = data[0] % 4 == 0 ? 0 : 64 * (data[0] % 4);
    pellamor::HTTPResponseParser whole(limit);
    pellamor::HTTPResponseParser pieces(limit);
    whole.feed(bytes);
    // Pieces of the first byte's size must read as the whole does.
    std::size_t step = 1 + data[0] / 4;
    for (std::size_t at = 0; at < bytes.size(); at += step)
        pieces.feed(bytes.substr(at, step));
    if (whole.finish() != pieces.finish() || whole.statusCode() != pieces.statusCode())
        std::abort();
    std::string body = whole.takeBody();
    if (body.size() > limit || body != pieces.takeBody())
        std::abort();
    if (whole.state() == pellamor::HTTPResponseParser::State::complete
        && (whole.statusCode() < 200 || whole.statusCode() > 599))
        std::abort();
    return 0;
}
