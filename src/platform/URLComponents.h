// A URL split into its RFC 3986 components, each kept as written (percent escapes not decoded).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pellamor {

struct URLComponents {
    std::string scheme;
    // Present only when the URL has an authority ("//…").
    std::optional<std::string> user;
    std::optional<std::string> password;
    std::optional<std::string> host;
    std::optional<std::string> port;
    std::string path;
    std::optional<std::string> query;
    std::optional<std::string> fragment;

    // None for anything RFC 3986 does not allow in a URI: a character outside a component's set, a bad
    // percent escape, a port that is not digits, a missing scheme. Texts over 64 KiB are refused unread.
    static std::optional<URLComponents> parse(std::string_view text);
};

} // namespace pellamor
