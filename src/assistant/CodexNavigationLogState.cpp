#include "assistant/CodexNavigationLogState.h"

#include "assistant/InternetDateTime.h"
#include "assistant/TextCase.h"
#include "platform/UUID.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace pellamor {

namespace {

constexpr std::string_view finishedLoadPrefix = "info [window-manager] window main frame finished load ";
constexpr std::string_view readyToShowPrefix = "info [window-manager] window ready-to-show ";
constexpr std::string_view routeChangePrefix
    = "info [electron-message-handler] IAB_LIFECYCLE received browser sidebar owner sync ";
constexpr std::string_view spanPrefix = "info [electron-message-handler] client.performance.span ";
constexpr std::array<std::string_view, 4> markerPrefixes
    = { finishedLoadPrefix, readyToShowPrefix, routeChangePrefix, spanPrefix };

constexpr std::array<std::string_view, 10> windowKinds = { "primary", "detached", "avatarOverlay", "quickChat",
    "hotkeyWindowHome", "hotkeyWindowThread", "browserCommentPopup", "globalDictation", "screenOverlay", "hud" };
constexpr std::string_view primaryKind = "primary";

constexpr std::string_view timestampTemplate = "0000-00-00T00:00:00.000Z";

// A non-empty decimal integer with an optional sign, within 64 signed bits.
std::optional<std::int64_t> decimal(std::string_view text)
{
    std::string_view digits = text;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-'))
        digits.remove_prefix(1);
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    if (text.front() == '+')
        text.remove_prefix(1);
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool matchesTemplate(std::string_view text)
{
    if (text.empty() || text.size() > timestampTemplate.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char expected = timestampTemplate[i];
        const bool matches = expected == '0' ? (text[i] >= '0' && text[i] <= '9') : text[i] == expected;
        if (!matches)
            return false;
    }
    return true;
}

} // namespace

std::optional<std::string_view> CodexNavigationLogState::field(std::string_view line, std::string_view key)
{
    std::optional<std::string_view> found;
    std::size_t start = 0;
    while (start < line.size()) {
        std::size_t end = line.find(' ', start);
        if (end == std::string_view::npos)
            end = line.size();
        std::string_view piece = line.substr(start, end - start);
        if (piece.size() > key.size() && piece[key.size()] == '=' && piece.starts_with(key)) {
            if (found)
                return std::nullopt;
            found = piece.substr(key.size() + 1);
        }
        start = end + 1;
    }
    return found;
}

std::optional<CodexNavigationLogState::Renderer> CodexNavigationLogState::pair(
    std::string_view line, std::string_view window, std::string_view contents)
{
    auto windowText = field(line, window);
    auto contentsText = field(line, contents);
    if (!windowText || !contentsText)
        return std::nullopt;
    auto windowID = decimal(*windowText);
    auto contentsID = decimal(*contentsText);
    if (!windowID || !contentsID || *windowID < 1 || *contentsID < 1)
        return std::nullopt;
    return Renderer { *windowID, *contentsID };
}

void CodexNavigationLogState::consume(std::string_view line)
{
    if (line.size() > maximumLineBytes)
        return;
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos)
        return;
    auto time = parseInternetDateTime(line.substr(0, space));
    if (!time)
        return;
    const std::string_view message = line.substr(space + 1);
    if (message.starts_with(finishedLoadPrefix) || message.starts_with(readyToShowPrefix))
        windowLifecycle(line);
    else if (message.starts_with(routeChangePrefix))
        routeChange(line, *time);
    else if (message.starts_with(spanPrefix))
        performanceSpan(line, *time);
}

void CodexNavigationLogState::becomeAmbiguous()
{
    if (observation_.selection.is(CodexNavigationSelection::Kind::ambiguous))
        return;
    observation_.selection = CodexNavigationSelection::ambiguous();
    ++observation_.revision;
}

void CodexNavigationLogState::record(std::string_view appearance, Renderer renderer)
{
    if (std::find(windowKinds.begin(), windowKinds.end(), appearance) == windowKinds.end())
        return;
    appearances_[renderer] = std::string(appearance);
    if (appearance != primaryKind) {
        pending_.erase(renderer);
        if (isVerified(renderer)) {
            verifiedRenderer_.reset();
            becomeAmbiguous();
        } else if (verifiedRenderer_ && pending_.empty()
            && observation_.selection.is(CodexNavigationSelection::Kind::pending)) {
            // The only contender went away: the verified window still shows what it showed.
            observation_.selection = verifiedSelection_;
            ++observation_.revision;
        }
    }
    if (appearances_.size() > maximumRenderers) {
        appearances_.clear();
        pending_.clear();
        verifiedRenderer_.reset();
        becomeAmbiguous();
    }
}

void CodexNavigationLogState::windowLifecycle(std::string_view line)
{
    auto renderer = pair(line, "windowId", "webContentsId");
    if (!renderer)
        return;
    auto kind = field(line, "appearance");
    if (!kind)
        return;
    record(*kind, *renderer);
}

void CodexNavigationLogState::routeChange(std::string_view line, std::int64_t time)
{
    auto renderer = pair(line, "windowId", "originWebContentsId");
    if (!renderer)
        return;
    auto path = field(line, "ownerRoutePath");
    if (!path || path->size() > maximumPathBytes || !path->starts_with('/'))
        return;
    auto kind = appearances_.find(*renderer);
    const bool known = kind != appearances_.end();
    if (known && kind->second != primaryKind)
        return;

    ++sequence_;
    pending_[*renderer] = Candidate { std::string(*path), time, sequence_ };
    if (pending_.size() > maximumPending) {
        pending_.clear();
        becomeAmbiguous();
        return;
    }
    if (isVerified(*renderer) && verifiedPath_ == *path && observation_.selection == verifiedSelection_)
        return;
    if (!known && verifiedRenderer_)
        return;
    if (observation_.selection.is(CodexNavigationSelection::Kind::pending))
        return;
    observation_.selection = CodexNavigationSelection::pending();
    ++observation_.revision;
}

void CodexNavigationLogState::performanceSpan(std::string_view line, std::int64_t time)
{
    auto renderer = pair(line, "rendererWindowId", "rendererWebContentsId");
    if (!renderer)
        return;
    auto kind = field(line, "rendererWindowAppearance");
    if (!kind)
        return;
    record(*kind, *renderer);
    if (*kind != primaryKind)
        return;

    const auto focused = field(line, "rendererWindowFocused");
    const auto visible = field(line, "rendererWindowVisible");
    if (focused == "false" || visible == "false") {
        if (isVerified(*renderer)) {
            verifiedRenderer_.reset();
            becomeAmbiguous();
        }
        return;
    }
    if (focused == "true" && verifiedRenderer_ && !isVerified(*renderer)) {
        verifiedRenderer_.reset();
        becomeAmbiguous();
    }
    if (field(line, "name") != "thread_navigation" || field(line, "outcome") != "success" || focused != "true"
        || visible != "true")
        return;

    auto candidate = pending_.find(*renderer);
    if (candidate == pending_.end())
        return;
    const Candidate accepted = candidate->second;
    // Unsigned, the difference of two far-apart times cannot overflow.
    if (accepted.sequence <= lastVerifiedSequence_ || time < accepted.time
        || static_cast<std::uint64_t>(time) - static_cast<std::uint64_t>(accepted.time)
            > static_cast<std::uint64_t>(verificationWindowNanoseconds))
        return;

    std::erase_if(pending_, [&](const auto& entry) { return entry.second.sequence <= accepted.sequence; });
    lastVerifiedSequence_ = accepted.sequence;
    if (isVerified(*renderer) && verifiedPath_ == accepted.path && observation_.selection == verifiedSelection_)
        return;

    verifiedRenderer_ = *renderer;
    verifiedPath_ = accepted.path;
    auto thread = localThread(accepted.path);
    verifiedSelection_
        = thread ? CodexNavigationSelection::localThread(std::move(*thread)) : CodexNavigationSelection::unsupported();
    const std::uint64_t revision = observation_.revision + 1;
    observation_ = CodexNavigationObservation { verifiedSelection_, revision, revision };
}

bool CodexNavigationLogState::isPotentialMetadataPrefix(std::string_view text)
{
    if (text.size() > maximumLineBytes)
        return false;
    const std::size_t space = text.find(' ');
    if (space == std::string_view::npos)
        return matchesTemplate(text);
    if (!parseInternetDateTime(text.substr(0, space)))
        return false;
    const std::string_view message = text.substr(space + 1);
    return std::any_of(markerPrefixes.begin(), markerPrefixes.end(),
        [&](std::string_view prefix) { return message.starts_with(prefix) || prefix.starts_with(message); });
}

std::optional<std::string> CodexNavigationLogState::localThread(std::string_view path)
{
    std::string_view route = path;
    const std::size_t question = path.find('?');
    if (question != std::string_view::npos) {
        if (path.substr(question + 1) != "realtimeVoiceHostId=local")
            return std::nullopt;
        route = path.substr(0, question);
    }
    if (!route.starts_with("/local/") || route.find('#') != std::string_view::npos)
        return std::nullopt;
    const std::string_view id = route.substr(7);
    if (!UUID::parse(id))
        return std::nullopt;
    return lowercased(id);
}

} // namespace pellamor
