// What the assistant's log says about its main window, and the interface of the log reader.
#pragma once

#include "platform/PlistValue.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace pellamor {

class CodexNavigationSelection {
public:
    enum class Kind { localThread, none, pending, unsupported, ambiguous };

    static CodexNavigationSelection localThread(std::string id) { return { Kind::localThread, std::move(id) }; }
    static CodexNavigationSelection none() { return { Kind::none, {} }; }
    static CodexNavigationSelection pending() { return { Kind::pending, {} }; }
    static CodexNavigationSelection unsupported() { return { Kind::unsupported, {} }; }
    static CodexNavigationSelection ambiguous() { return { Kind::ambiguous, {} }; }

    Kind kind() const { return kind_; }
    bool is(Kind kind) const { return kind_ == kind; }
    // The lower-cased conversation id of a `localThread` selection; empty otherwise.
    const std::string& threadID() const { return threadID_; }

    friend bool operator==(const CodexNavigationSelection&, const CodexNavigationSelection&) = default;

private:
    CodexNavigationSelection(Kind kind, std::string id)
        : kind_(kind)
        , threadID_(std::move(id))
    {
    }
    Kind kind_;
    std::string threadID_;
};

struct CodexNavigationObservation {
    CodexNavigationSelection selection = CodexNavigationSelection::none();
    // Rises at every change of the observation and at every discard of the log history.
    std::uint64_t revision = 0;
    // Set equal to `revision` at each newly verified navigation, never changed otherwise.
    std::uint64_t verifiedRevision = 0;

    friend bool operator==(const CodexNavigationObservation&, const CodexNavigationObservation&) = default;
};

// The one running assistant process.
struct CodexProcessIdentity {
    std::int32_t pid = 0;
    std::optional<PlistDate> launchedAt;

    friend bool operator==(const CodexProcessIdentity&, const CodexProcessIdentity&) = default;
};

class CodexNavigationReading {
public:
    virtual ~CodexNavigationReading() = default;
    // The log file to watch for changes.
    virtual std::optional<std::filesystem::path> currentLogURL() const { return std::nullopt; }
    // One pass over the logs; never fails.
    virtual CodexNavigationObservation read() = 0;
};

} // namespace pellamor
