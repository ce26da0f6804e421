// The crash-reporting SDK's event model: what one event carries, as the SDK fills it and sends it.
#pragma once

#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace pellamor {

enum class SentryLevel { debug, info, warning, error, fatal };

struct SentryFrame {
    std::optional<std::string> fileName;
    std::optional<std::string> package;
    std::optional<std::string> module;
    std::optional<std::string> function;
    std::optional<std::string> contextLine;
    std::optional<std::uint64_t> instructionAddress;
    std::optional<std::uint64_t> imageAddress;
    std::optional<nlohmann::json> vars;
};

struct SentryStacktrace {
    std::vector<SentryFrame> frames;
};

struct SentryMechanism {
    std::string type;
    std::optional<bool> handled;
    std::optional<std::string> description;
    std::optional<nlohmann::json> data;
};

struct SentryException {
    std::string type;
    std::optional<std::string> value;
    std::optional<SentryMechanism> mechanism;
    std::optional<SentryStacktrace> stacktrace;
};

struct SentryThread {
    std::int64_t threadID = 0;
    std::optional<std::string> name;
    bool crashed = false;
    bool current = false;
    std::optional<SentryStacktrace> stacktrace;
};

struct SentryDebugMeta {
    std::string type;
    std::optional<std::string> debugID;
    std::optional<std::string> codeFile;
    std::uint64_t imageAddress = 0;
    std::uint64_t imageSize = 0;
};

struct SentryUser {
    std::optional<std::string> userID;
    std::optional<std::string> email;
    std::optional<std::string> username;
    std::optional<std::string> ipAddress;
};

struct SentryMessage {
    std::string formatted;
};

struct SentryEvent {
    // 32 lower-case hexadecimal digits; the SDK gives one to an event that has none.
    std::string eventID;
    // Seconds since 1970.
    double timestamp = 0;
    SentryLevel level = SentryLevel::error;
    std::string platform = "cocoa";
    std::optional<std::string> releaseName;
    std::optional<std::string> dist;
    std::optional<std::string> environment;
    std::optional<SentryMessage> message;
    std::optional<SentryUser> user;
    std::optional<std::string> serverName;
    std::optional<nlohmann::json> request;
    std::optional<nlohmann::json> extra;
    std::optional<std::vector<nlohmann::json>> breadcrumbs;
    std::optional<std::string> transaction;
    std::optional<std::map<std::string, std::string>> modules;
    std::optional<std::map<std::string, std::string>> tags;
    // Each context is a JSON object.
    std::optional<std::map<std::string, nlohmann::json>> contexts;
    std::optional<std::vector<std::string>> fingerprint;
    std::optional<std::vector<SentryException>> exceptions;
    std::optional<std::vector<SentryThread>> threads;
    std::optional<SentryStacktrace> stacktrace;
    std::optional<std::vector<SentryDebugMeta>> debugMeta;

    // The event as the service's protocol writes it; absent fields are left out.
    nlohmann::json serialize() const;
};

} // namespace pellamor
