#include "platform/URLComponents.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

TEST(URLComponentsTest, EachComponentIsKeptAsWritten)
{
    std::optional<URLComponents> url = URLComponents::parse("https://ab%2Fc:pw@sentry.example-1.io:8443/api/17?x=1&y=%20#top");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->scheme, "https");
    EXPECT_EQ(url->user, "ab%2Fc");
    EXPECT_EQ(url->password, "pw");
    EXPECT_EQ(url->host, "sentry.example-1.io");
    EXPECT_EQ(url->port, "8443");
    EXPECT_EQ(url->path, "/api/17");
    EXPECT_EQ(url->query, "x=1&y=%20");
    EXPECT_EQ(url->fragment, "top");

    std::optional<URLComponents> bare = URLComponents::parse("mailto:bob@example.com");
    ASSERT_TRUE(bare);
    EXPECT_FALSE(bare->host);
    EXPECT_FALSE(bare->user);
    EXPECT_EQ(bare->path, "bob@example.com");

    std::optional<URLComponents> literal = URLComponents::parse("http://[fe80::1]:80/");
    ASSERT_TRUE(literal);
    EXPECT_EQ(literal->host, "[fe80::1]");
    EXPECT_EQ(literal->port, "80");
}

TEST(URLComponentsTest, WhatNoURICanHoldIsRefused)
{
    for (const char* text : { "https://host/a b", "https://host/<x>", "https://host/?q=\"", "https://host/#a#b",
             "https://ho st/", "https://us er@host/", "https://host:8a/", "https://host:-1/", "https://[fe80::g]/",
             "https://host/%G1", "https://host/%4", "https://host/%", "1http://host/", "://host/", "host/path",
             "ht_tp://host/", "https://host/\xC3\xA9", "https://host/\x7F", "https://[fe80::1/", "https://[/" })
        EXPECT_FALSE(URLComponents::parse(text)) << text;
    std::string longest = "https://h/" + std::string(64 * 1024 - 10, 'a');
    EXPECT_TRUE(URLComponents::parse(longest));
    EXPECT_FALSE(URLComponents::parse(longest + "a"));
}

} // namespace
} // namespace pellamor
