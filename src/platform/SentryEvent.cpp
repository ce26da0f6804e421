#include "platform/SentryEvent.h"

#include "platform/ISO8601Date.h"

#include <cstdio>

namespace pellamor {
namespace {

std::string address(std::uint64_t value)
{
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

template <class T> void put(nlohmann::json& object, const char* key, const std::optional<T>& value)
{
    if (value)
        object[key] = *value;
}

nlohmann::json serialize(const SentryStacktrace& stacktrace)
{
    nlohmann::json frames = nlohmann::json::array();
    for (const SentryFrame& frame : stacktrace.frames) {
        nlohmann::json entry = nlohmann::json::object();
        put(entry, "filename", frame.fileName);
        put(entry, "package", frame.package);
        put(entry, "module", frame.module);
        put(entry, "function", frame.function);
        put(entry, "context_line", frame.contextLine);
        put(entry, "vars", frame.vars);
        if (frame.instructionAddress)
            entry["instruction_addr"] = address(*frame.instructionAddress);
        if (frame.imageAddress)
            entry["image_addr"] = address(*frame.imageAddress);
        frames.push_back(entry);
    }
    return { { "frames", frames } };
}

const char* levelName(SentryLevel level)
{
    switch (level) {
    case SentryLevel::debug:
        return "debug";
    case SentryLevel::info:
        return "info";
    case SentryLevel::warning:
        return "warning";
    case SentryLevel::error:
        return "error";
    case SentryLevel::fatal:
        return "fatal";
    }
    return "error";
}

} // namespace

nlohmann::json SentryEvent::serialize() const
{
    nlohmann::json event { { "event_id", eventID }, { "level", levelName(level) }, { "platform", platform } };
    event["timestamp"] = formatISO8601Date(PlistDate { timestamp }, true).value_or("1970-01-01T00:00:00.000Z");
    put(event, "release", releaseName);
    put(event, "dist", dist);
    put(event, "environment", environment);
    if (message)
        event["message"] = { { "formatted", message->formatted } };
    if (user) {
        nlohmann::json fields = nlohmann::json::object();
        put(fields, "id", user->userID);
        put(fields, "email", user->email);
        put(fields, "username", user->username);
        put(fields, "ip_address", user->ipAddress);
        event["user"] = fields;
    }
    put(event, "server_name", serverName);
    put(event, "request", request);
    put(event, "extra", extra);
    if (breadcrumbs)
        event["breadcrumbs"] = { { "values", *breadcrumbs } };
    put(event, "transaction", transaction);
    put(event, "modules", modules);
    put(event, "tags", tags);
    put(event, "contexts", contexts);
    put(event, "fingerprint", fingerprint);
    if (exceptions) {
        nlohmann::json values = nlohmann::json::array();
        for (const SentryException& exception : *exceptions) {
            nlohmann::json entry { { "type", exception.type } };
            put(entry, "value", exception.value);
            if (exception.mechanism) {
                nlohmann::json mechanism { { "type", exception.mechanism->type } };
                put(mechanism, "handled", exception.mechanism->handled);
                put(mechanism, "description", exception.mechanism->description);
                put(mechanism, "data", exception.mechanism->data);
                entry["mechanism"] = mechanism;
            }
            if (exception.stacktrace)
                entry["stacktrace"] = pellamor::serialize(*exception.stacktrace);
            values.push_back(entry);
        }
        event["exception"] = { { "values", values } };
    }
    if (threads) {
        nlohmann::json values = nlohmann::json::array();
        for (const SentryThread& thread : *threads) {
            nlohmann::json entry { { "id", thread.threadID }, { "crashed", thread.crashed }, { "current", thread.current } };
            put(entry, "name", thread.name);
            if (thread.stacktrace)
                entry["stacktrace"] = pellamor::serialize(*thread.stacktrace);
            values.push_back(entry);
        }
        event["threads"] = { { "values", values } };
    }
    if (stacktrace)
        event["stacktrace"] = pellamor::serialize(*stacktrace);
    if (debugMeta) {
        nlohmann::json images = nlohmann::json::array();
        for (const SentryDebugMeta& image : *debugMeta) {
            nlohmann::json entry { { "type", image.type }, { "image_addr", address(image.imageAddress) },
                { "image_size", image.imageSize } };
            put(entry, "debug_id", image.debugID);
            put(entry, "code_file", image.codeFile);
            images.push_back(entry);
        }
        event["debug_meta"] = { { "images", images } };
    }
    event["sdk"] = { { "name", "pellamor.sentry-stand-in" }, { "version", "1" } };
    return event;
}

} // namespace pellamor
