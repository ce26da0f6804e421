// Tail-reads the running assistant's newest log session and follows its navigation markers.
#pragma once

#include "assistant/CodexNavigation.h"
#include "assistant/CodexNavigationLogState.h"

#include <functional>
#include <map>
#include <vector>

namespace pellamor {

class CodexNavigationReader final : public CodexNavigationReading {
public:
    static constexpr std::uint64_t maximumSlice = 524'288;
    static constexpr std::size_t maximumFilesPerPass = 4;

    using ProcessLookup = std::function<std::optional<CodexProcessIdentity>()>;
    using DateSource = std::function<PlistDate()>;

    // `directory` none: "Library/Logs/com.openai.codex" in the home folder; `now` empty: the current date.
    CodexNavigationReader(std::optional<std::filesystem::path> directory, ProcessLookup process, DateSource now = {});

    std::optional<std::filesystem::path> currentLogURL() const override { return currentLogURL_; }
    CodexNavigationObservation read() override;

private:
    struct Cursor {
        std::uint64_t inode = 0;
        std::uint64_t offset = 0;
        // The unfinished last line, kept only while it may still become a marker line.
        std::string remainder;
    };
    struct LogFile {
        // Plain text rather than paths: a pass handles them many times and paths are costly to take apart.
        std::string url;
        std::string folder;
        std::string session;
        std::int64_t modified = 0; // nanoseconds since 1970
        std::uint64_t size = 0;
        std::uint64_t inode = 0;
        std::int64_t instance = 0;
        std::int64_t started = 0;
        std::int64_t rotation = 0;
    };

    std::vector<LogFile> logFiles(const CodexProcessIdentity& process);
    // The log root and the day folders of today and the two days before, made again only when the day changes.
    const std::vector<std::string>& folders();
    void consume(const LogFile& file);
    void consumeText(std::string_view text, bool startsMidLine, Cursor& cursor);
    void consumeIfMarker(std::string_view line);
    void reset(const std::optional<CodexProcessIdentity>& process, const std::optional<std::string>& session);
    void discardMetadata(bool forceAmbiguous);

    std::filesystem::path directory_;
    ProcessLookup process_;
    DateSource now_;
    std::optional<CodexProcessIdentity> currentProcess_;
    std::optional<std::string> currentSession_;
    std::map<std::string, Cursor> cursors_;
    CodexNavigationLogState state_;
    std::optional<std::filesystem::path> currentLogURL_;
    // Reused between passes so that a pass allocates nothing when the logs are quiet.
    std::vector<char> buffer_;
    std::vector<std::string> folders_;
    std::optional<std::int64_t> foldersDay_;
};

} // namespace pellamor
