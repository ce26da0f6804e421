#include "platform/URLComponents.h"

#include "platform/Unicode.h"

namespace pellamor {
namespace {

constexpr std::size_t maximumURLBytes = 64 * 1024;

bool isAlpha(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isUnreserved(char c)
{
    return isAlpha(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

bool isSubDelimiter(char c)
{
    return std::string_view("!$&'()*+,;=").find(c) != std::string_view::npos;
}

// Every character is unreserved, a sub-delimiter, one of `extra`, or part of a "%HH" escape.
bool isEncoded(std::string_view text, std::string_view extra)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size() || hexDigitValue(text[i + 1]) < 0 || hexDigitValue(text[i + 2]) < 0)
                return false;
            i += 2;
            continue;
        }
        if (!isUnreserved(c) && !isSubDelimiter(c) && extra.find(c) == std::string_view::npos)
            return false;
    }
    return true;
}

bool isScheme(std::string_view text)
{
    if (text.empty() || !isAlpha(text.front()))
        return false;
    for (char c : text) {
        if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

bool isIPLiteral(std::string_view text)
{
    if (text.size() < 2 || text.front() != '[' || text.back() != ']')
        return false;
    for (char c : text.substr(1, text.size() - 2)) {
        if (hexDigitValue(c) < 0 && c != ':' && c != '.')
            return false;
    }
    return true;
}

bool parseAuthority(std::string_view authority, URLComponents& url)
{
    std::size_t at = authority.rfind('@');
    if (at != std::string_view::npos) {
        std::string_view userInfo = authority.substr(0, at);
        if (!isEncoded(userInfo, ":"))
            return false;
        std::size_t colon = userInfo.find(':');
        url.user = std::string(userInfo.substr(0, colon));
        if (colon != std::string_view::npos)
            url.password = std::string(userInfo.substr(colon + 1));
        authority.remove_prefix(at + 1);
    }
    std::size_t colon = authority.rfind(':');
    if (colon != std::string_view::npos && authority.find(']', colon) == std::string_view::npos) {
        std::string_view port = authority.substr(colon + 1);
        for (char c : port) {
            if (!isDigit(c))
                return false;
        }
        url.port = std::string(port);
        authority = authority.substr(0, colon);
    }
    if (!authority.empty() && authority.front() == '[') {
        if (!isIPLiteral(authority))
            return false;
    } else if (!isEncoded(authority, "")) {
        return false;
    }
    url.host = std::string(authority);
    return true;
}

} // namespace

std::optional<URLComponents> URLComponents::parse(std::string_view text)
{
    if (text.size() > maximumURLBytes)
        return std::nullopt;
    URLComponents url;
    std::size_t hash = text.find('#');
    if (hash != std::string_view::npos) {
        std::string_view fragment = text.substr(hash + 1);
        if (!isEncoded(fragment, ":@/?"))
            return std::nullopt;
        url.fragment = std::string(fragment);
        text = text.substr(0, hash);
    }
    std::size_t question = text.find('?');
    if (question != std::string_view::npos) {
        std::string_view query = text.substr(question + 1);
        if (!isEncoded(query, ":@/?"))
            return std::nullopt;
        url.query = std::string(query);
        text = text.substr(0, question);
    }
    std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || !isScheme(text.substr(0, colon)))
        return std::nullopt;
    url.scheme = std::string(text.substr(0, colon));
    text.remove_prefix(colon + 1);
    if (text.starts_with("//")) {
        text.remove_prefix(2);
        std::size_t slash = text.find('/');
        if (!parseAuthority(text.substr(0, slash), url))
            return std::nullopt;
        text = slash == std::string_view::npos ? std::string_view() : text.substr(slash);
    }
    if (!isEncoded(text, ":@/"))
        return std::nullopt;
    url.path = std::string(text);
    return url;
}

} // namespace pellamor
