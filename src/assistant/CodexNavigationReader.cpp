#include "assistant/CodexNavigationReader.h"

#include "assistant/CodexLogFileName.h"
#include "assistant/LossyUtf8.h"
#include "platform/Platform.h"

#include <QDateTime>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pellamor {

namespace {

constexpr std::array<std::string_view, 4> markerTexts = {
    " [window-manager] window main frame finished load ",
    " [window-manager] window ready-to-show ",
    " [electron-message-handler] IAB_LIFECYCLE received browser sidebar owner sync ",
    " [electron-message-handler] client.performance.span ",
};

// Every marker text begins with " [", so looking only where a "[" follows a space finds them all.
std::size_t findMarker(std::string_view text, std::size_t from)
{
    while (true) {
        const std::size_t bracket = text.find('[', from);
        if (bracket == std::string_view::npos)
            return bracket;
        if (bracket > 0 && text[bracket - 1] == ' ') {
            const std::string_view rest = text.substr(bracket - 1);
            for (std::string_view marker : markerTexts) {
                if (rest.starts_with(marker))
                    return bracket;
            }
        }
        from = bracket + 1;
    }
}

// Reads up to `count` bytes at `offset`; a short count only at the end of the file, 0 when nothing came.
std::size_t readAt(int descriptor, char* into, std::size_t count, std::uint64_t offset)
{
    std::size_t got = 0;
    while (got < count) {
        const ssize_t read = ::pread(descriptor, into + got, count - got, static_cast<off_t>(offset + got));
        if (read < 0 && errno == EINTR)
            continue;
        if (read <= 0)
            break;
        got += static_cast<std::size_t>(read);
    }
    return got;
}

PlistDate currentDate()
{
    return PlistDate { static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0 };
}

} // namespace

CodexNavigationReader::CodexNavigationReader(
    std::optional<std::filesystem::path> directory, ProcessLookup process, DateSource now)
    : directory_(directory ? std::move(*directory) : platform().homeDirectory() / "Library/Logs/com.openai.codex")
    , process_(std::move(process))
    , now_(now ? std::move(now) : DateSource(currentDate))
{
}

CodexNavigationObservation CodexNavigationReader::read()
{
    const std::optional<CodexProcessIdentity> identity = process_ ? process_() : std::nullopt;
    if (!identity) {
        reset(std::nullopt, std::nullopt);
        return state_.observation();
    }
    std::vector<LogFile> files = logFiles(*identity);
    if (files.empty()) {
        reset(identity, std::nullopt);
        return state_.observation();
    }

    const LogFile* newest = &files.front();
    for (const LogFile& file : files) {
        if (file.modified > newest->modified)
            newest = &file;
    }
    const std::string session = newest->session;
    if (currentProcess_ != identity || currentSession_ != session)
        reset(identity, session);
    if (!currentLogURL_ || currentLogURL_->native() != newest->url)
        currentLogURL_ = newest->url;

    std::erase_if(files, [&](const LogFile& file) { return file.session != session; });
    std::stable_sort(files.begin(), files.end(), [](const LogFile& a, const LogFile& b) {
        if (a.folder != b.folder)
            return a.folder < b.folder;
        if (a.instance != b.instance)
            return a.instance < b.instance;
        if (a.started != b.started)
            return a.started < b.started;
        return a.rotation < b.rotation;
    });
    if (files.size() > maximumFilesPerPass)
        files.erase(files.begin(), files.end() - maximumFilesPerPass);
    for (const LogFile& file : files)
        consume(file);

    std::erase_if(cursors_, [&](const auto& entry) {
        return std::none_of(files.begin(), files.end(), [&](const LogFile& file) { return file.url == entry.first; });
    });
    return state_.observation();
}

const std::vector<std::string>& CodexNavigationReader::folders()
{
    const PlistDate today = now_();
    const std::optional<std::int64_t> day = std::isfinite(today.secondsSince1970)
        ? std::optional(static_cast<std::int64_t>(std::floor(std::clamp(today.secondsSince1970, -1e15, 1e15) / 86400)))
        : std::nullopt;
    if (!folders_.empty() && day == foldersDay_)
        return folders_;
    foldersDay_ = day;
    folders_ = { directory_.native() };
    for (int offset : { 0, -1, -2 }) {
        if (auto folder = utcDayFolder(today, offset))
            folders_.push_back((directory_ / *folder).native());
    }
    return folders_;
}

std::vector<CodexNavigationReader::LogFile> CodexNavigationReader::logFiles(const CodexProcessIdentity& process)
{
    std::vector<LogFile> files;
    for (const std::string& folder : folders()) {
        DIR* listing = ::opendir(folder.c_str());
        if (!listing)
            continue;
        while (const dirent* entry = ::readdir(listing)) {
            auto name = matchCodexLogFileName(entry->d_name, process.pid);
            if (!name)
                continue;
            std::string url = folder + "/" + entry->d_name;
            struct stat attributes { };
            if (::lstat(url.c_str(), &attributes) != 0 || !S_ISREG(attributes.st_mode))
                continue;
            const std::int64_t modified
                = static_cast<std::int64_t>(attributes.st_mtim.tv_sec) * 1'000'000'000 + attributes.st_mtim.tv_nsec;
            if (process.launchedAt) {
                const double modifiedSeconds = static_cast<double>(attributes.st_mtim.tv_sec)
                    + static_cast<double>(attributes.st_mtim.tv_nsec) / 1e9;
                // A file written just before the launch date still belongs to this process.
                if (modifiedSeconds < process.launchedAt->secondsSince1970 - 1.0)
                    continue;
            }
            files.push_back(LogFile { std::move(url), folder, std::move(name->session), modified,
                static_cast<std::uint64_t>(attributes.st_size), static_cast<std::uint64_t>(attributes.st_ino),
                name->instance, name->started, name->rotation });
        }
        ::closedir(listing);
    }
    return files;
}

void CodexNavigationReader::consume(const LogFile& file)
{
    auto stored = cursors_.find(file.url);
    Cursor cursor = stored != cursors_.end() ? stored->second : Cursor { file.inode, 0, {} };
    if (cursor.inode != file.inode || file.size < cursor.offset) {
        // Replaced or truncated: what was read before no longer describes this file.
        discardMetadata(true);
        cursors_.clear();
        cursor = Cursor { file.inode, 0, {} };
    }
    const std::uint64_t backlog = file.size - cursor.offset;
    if (backlog == 0)
        return;
    // Non-blocking: the name may have been given to a pipe since it was listed.
    const int descriptor = ::open(file.url.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        return;
    const bool sliced = backlog > maximumSlice;
    if (sliced) {
        cursor.offset = file.size - maximumSlice;
        cursor.remainder.clear();
        discardMetadata(true);
    }
    buffer_.resize(maximumSlice);
    const std::size_t got = readAt(descriptor, buffer_.data(), maximumSlice, cursor.offset);
    ::close(descriptor);
    if (got == 0)
        return;

    const std::string_view bytes(buffer_.data(), got);
    if (isValidUtf8(bytes))
        consumeText(bytes, sliced, cursor);
    else
        consumeText(repairingUtf8(bytes), sliced, cursor);
    cursor.offset += got;
    cursors_[file.url] = std::move(cursor);
}

void CodexNavigationReader::consumeText(std::string_view text, bool startsMidLine, Cursor& cursor)
{
    const std::size_t firstBreak = text.find('\n');
    if (firstBreak == std::string_view::npos) {
        if (cursor.remainder.size() + text.size() > CodexNavigationLogState::maximumLineBytes) {
            cursor.remainder.clear();
            return;
        }
        cursor.remainder.append(text);
        if (!CodexNavigationLogState::isPotentialMetadataPrefix(cursor.remainder))
            cursor.remainder.clear();
        return;
    }
    // The first piece began in the middle of a line when the slice skipped part of the file.
    if (!startsMidLine) {
        if (cursor.remainder.empty()) {
            consumeIfMarker(text.substr(0, firstBreak));
        } else {
            cursor.remainder.append(text.substr(0, firstBreak));
            consumeIfMarker(cursor.remainder);
        }
    }

    const std::size_t lastBreak = text.rfind('\n');
    const std::string_view lines = text.substr(firstBreak + 1, lastBreak - firstBreak);
    std::size_t from = 0;
    while (from < lines.size()) {
        const std::size_t marker = findMarker(lines, from);
        if (marker == std::string_view::npos)
            break;
        const std::size_t previousBreak = lines.rfind('\n', marker);
        const std::size_t start = previousBreak == std::string_view::npos ? 0 : previousBreak + 1;
        const std::size_t end = lines.find('\n', marker);
        state_.consume(lines.substr(start, end - start));
        from = end + 1;
    }

    const std::string_view last = text.substr(lastBreak + 1);
    if (CodexNavigationLogState::isPotentialMetadataPrefix(last))
        cursor.remainder.assign(last);
    else
        cursor.remainder.clear();
}

void CodexNavigationReader::consumeIfMarker(std::string_view line)
{
    if (findMarker(line, 0) != std::string_view::npos)
        state_.consume(line);
}

void CodexNavigationReader::reset(
    const std::optional<CodexProcessIdentity>& process, const std::optional<std::string>& session)
{
    if (process == currentProcess_ && session == currentSession_)
        return;
    discardMetadata(false);
    cursors_.clear();
    currentProcess_ = process;
    currentSession_ = session;
    currentLogURL_.reset();
}

void CodexNavigationReader::discardMetadata(bool forceAmbiguous)
{
    const CodexNavigationObservation previous = state_.observation();
    const bool ambiguous = forceAmbiguous || !previous.selection.is(CodexNavigationSelection::Kind::none);
    state_ = CodexNavigationLogState(CodexNavigationObservation {
        ambiguous ? CodexNavigationSelection::ambiguous() : CodexNavigationSelection::none(), previous.revision + 1,
        previous.verifiedRevision });
}

} // namespace pellamor
