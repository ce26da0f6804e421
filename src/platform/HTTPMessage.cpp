#include "platform/HTTPMessage.h"

#include "platform/Unicode.h"

#include <algorithm>

namespace pellamor {
namespace {

// A service's answer head is a few hundred bytes; more is not an answer we want to read.
constexpr std::size_t maximumHeadBytes = 64 * 1024;
// Fifteen hexadecimal digits stay within std::size_t.
constexpr std::size_t maximumChunkSizeDigits = 15;

std::string lowercased(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
        [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return lower;
}

std::string_view trimmed(std::string_view text)
{
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isFieldName(std::string_view name)
{
    return !name.empty()
        && std::none_of(name.begin(), name.end(), [](char c) { return c <= ' ' || c == ':' || c == 0x7f; });
}

bool isFieldValue(std::string_view value)
{
    return value.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

} // namespace

std::string httpRequestBytes(const std::string& method, const std::string& target, const std::string& host,
    const HTTPHeaders& headers, const std::string& body)
{
    HTTPHeaders fields;
    for (const auto& [name, value] : headers) {
        std::string key = lowercased(name);
        if (!isFieldName(name) || !isFieldValue(value) || key == "host" || key == "content-length"
            || key == "connection")
            continue;
        std::erase_if(fields, [&](const auto& field) { return lowercased(field.first) == key; });
        fields.emplace_back(name, value);
    }
    std::string bytes = method + " " + target + " HTTP/1.1\r\nHost: " + host + "\r\n";
    for (const auto& [name, value] : fields)
        bytes += name + ": " + value + "\r\n";
    if (!body.empty() || method == "POST")
        bytes += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    return bytes + "Connection: close\r\n\r\n" + body;
}

HTTPResponseParser::HTTPResponseParser(std::size_t maximumBodyBytes)
    : maximumBodyBytes_(maximumBodyBytes)
{
}

HTTPResponseParser::State HTTPResponseParser::feed(std::string_view bytes)
{
    if (state_ != State::reading)
        return state_;
    pending_.append(bytes);
    step();
    return state_;
}

HTTPResponseParser::State HTTPResponseParser::finish()
{
    if (state_ == State::reading && phase_ == Phase::untilClose)
        state_ = State::complete;
    return state_;
}

void HTTPResponseParser::step()
{
    std::string line;
    while (state_ == State::reading) {
        switch (phase_) {
        case Phase::head:
            if (!takeLine(line))
                return;
            readHead(line);
            break;
        case Phase::fixedBody:
        case Phase::chunkData: {
            std::size_t count = std::min(remaining_, pending_.size());
            keep(std::string_view(pending_).substr(0, count));
            pending_.erase(0, count);
            remaining_ -= count;
            if (remaining_ > 0)
                return;
            if (phase_ == Phase::chunkData)
                phase_ = Phase::chunkEnd;
            else if (state_ == State::reading)
                state_ = State::complete;
            break;
        }
        case Phase::chunkSize:
            if (!takeLine(line))
                return;
            readChunkSize(line);
            break;
        case Phase::chunkEnd:
            if (!takeLine(line))
                return;
            if (!line.empty())
                return fail(State::malformed);
            phase_ = Phase::chunkSize;
            break;
        case Phase::trailers:
            if (!takeLine(line))
                return;
            if (line.empty())
                state_ = State::complete;
            break;
        case Phase::untilClose:
            keep(pending_);
            pending_.clear();
            return;
        }
    }
}

bool HTTPResponseParser::takeLine(std::string& line)
{
    bool inHead = phase_ == Phase::head || phase_ == Phase::trailers;
    std::size_t end = pending_.find('\n');
    std::size_t length = end == std::string::npos ? pending_.size() : end + 1;
    if ((inHead ? headBytes_ : 0) + length > maximumHeadBytes) {
        fail(State::malformed);
        return false;
    }
    if (end == std::string::npos)
        return false;
    if (inHead)
        headBytes_ += length;
    line.assign(pending_, 0, end > 0 && pending_[end - 1] == '\r' ? end - 1 : end);
    pending_.erase(0, length);
    return true;
}

void HTTPResponseParser::readHead(const std::string& line)
{
    if (!sawStatus_) {
        // "HTTP/1.x SSS", then nothing or a space and the reason.
        bool valid = line.size() >= 12 && line.starts_with("HTTP/1.") && isDigit(line[7]) && line[8] == ' '
            && isDigit(line[9]) && isDigit(line[10]) && isDigit(line[11]) && (line.size() == 12 || line[12] == ' ');
        if (!valid)
            return fail(State::malformed);
        statusCode_ = std::stoi(line.substr(9, 3));
        if (statusCode_ < 100 || statusCode_ > 599)
            return fail(State::malformed);
        sawStatus_ = true;
        return;
    }
    if (line.empty())
        return endHead();
    std::size_t colon = line.find(':');
    if (colon == std::string::npos || !isFieldName(std::string_view(line).substr(0, colon)))
        return fail(State::malformed);
    std::string name = lowercased(std::string_view(line).substr(0, colon));
    std::string_view value = trimmed(std::string_view(line).substr(colon + 1));
    if (name == "transfer-encoding") {
        std::string codings = lowercased(value);
        std::size_t comma = codings.rfind(',');
        chunked_
            = trimmed(comma == std::string::npos ? codings : std::string_view(codings).substr(comma + 1)) == "chunked";
        encoded_ = true;
        return;
    }
    if (name != "content-length")
        return;
    if (value.empty() || value.size() > 18 || !std::all_of(value.begin(), value.end(), isDigit))
        return fail(State::malformed);
    std::size_t length = std::stoull(std::string(value));
    if (hasLength_ && length != remaining_)
        return fail(State::malformed);
    hasLength_ = true;
    remaining_ = length;
}

void HTTPResponseParser::endHead()
{
    if (statusCode_ < 200) {
        sawStatus_ = false;
        hasLength_ = false;
        chunked_ = false;
        encoded_ = false;
        remaining_ = 0;
        return;
    }
    if (maximumBodyBytes_ == 0 || statusCode_ == 204 || statusCode_ == 304) {
        state_ = State::complete;
        return;
    }
    if (chunked_) {
        phase_ = Phase::chunkSize;
        return;
    }
    if (encoded_ || !hasLength_) {
        phase_ = Phase::untilClose;
        return;
    }
    if (remaining_ > maximumBodyBytes_)
        return fail(State::tooLarge);
    if (remaining_ == 0) {
        state_ = State::complete;
        return;
    }
    phase_ = Phase::fixedBody;
}

void HTTPResponseParser::readChunkSize(const std::string& line)
{
    std::string_view digits = trimmed(std::string_view(line).substr(0, line.find(';')));
    if (digits.empty() || digits.size() > maximumChunkSizeDigits)
        return fail(State::malformed);
    std::size_t size = 0;
    for (char c : digits) {
        int value = hexDigitValue(c);
        if (value < 0)
            return fail(State::malformed);
        size = size * 16 + std::size_t(value);
    }
    if (size == 0) {
        phase_ = Phase::trailers;
        return;
    }
    if (size > maximumBodyBytes_ - body_.size())
        return fail(State::tooLarge);
    remaining_ = size;
    phase_ = Phase::chunkData;
}

void HTTPResponseParser::keep(std::string_view bytes)
{
    if (bytes.size() > maximumBodyBytes_ - body_.size())
        return fail(State::tooLarge);
    body_.append(bytes);
}

} // namespace pellamor
