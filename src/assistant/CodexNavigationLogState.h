// Derives, line by line, which local conversation the assistant's main window verifiably shows.
#pragma once

#include "assistant/CodexNavigation.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace pellamor {

class CodexNavigationLogState {
public:
    static constexpr std::size_t maximumLineBytes = 8192;
    static constexpr std::size_t maximumPathBytes = 256;
    static constexpr std::size_t maximumPending = 16;
    static constexpr std::size_t maximumRenderers = 32;
    static constexpr std::int64_t verificationWindowNanoseconds = 3'000'000'000;

    explicit CodexNavigationLogState(CodexNavigationObservation observation = {})
        : observation_(std::move(observation))
    {
    }

    // One log line, without its line feed.
    void consume(std::string_view line);
    const CodexNavigationObservation& observation() const { return observation_; }

    // Whether an unfinished last line may still become a marker line, and so is worth holding back.
    static bool isPotentialMetadataPrefix(std::string_view text);
    // The lower-cased conversation id of a local conversation's route path.
    static std::optional<std::string> localThread(std::string_view path);

private:
    struct Renderer {
        std::int64_t window;
        std::int64_t contents;
        friend auto operator<=>(const Renderer&, const Renderer&) = default;
    };
    struct Candidate {
        std::string path;
        std::int64_t time;
        std::uint64_t sequence;
    };

    static std::optional<std::string_view> field(std::string_view line, std::string_view key);
    static std::optional<Renderer> pair(std::string_view line, std::string_view window, std::string_view contents);

    void windowLifecycle(std::string_view line);
    void routeChange(std::string_view line, std::int64_t time);
    void performanceSpan(std::string_view line, std::int64_t time);
    void record(std::string_view appearance, Renderer renderer);
    void becomeAmbiguous();
    bool isVerified(Renderer renderer) const { return verifiedRenderer_ && *verifiedRenderer_ == renderer; }

    std::map<Renderer, std::string> appearances_;
    std::map<Renderer, Candidate> pending_;
    std::uint64_t sequence_ = 0;
    std::optional<Renderer> verifiedRenderer_;
    std::optional<std::string> verifiedPath_;
    CodexNavigationSelection verifiedSelection_ = CodexNavigationSelection::none();
    std::uint64_t lastVerifiedSequence_ = 0;
    CodexNavigationObservation observation_;
};

} // namespace pellamor
