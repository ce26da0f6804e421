#include "desktops/ScreenPlacement.h"

#include "assistant/Localization.h"
#include "desktops/CleanText.h"
#include "platform/Platform.h"
#include "platform/WindowList.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace pellamor {

namespace {

double maxY(const QRectF& rect)
{
    return rect.y() + rect.height();
}

bool isFinite(const QRectF& rect)
{
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width())
        && std::isfinite(rect.height());
}

// The area two rectangles share; 0 when they share none or the result is not a finite positive area.
double overlap(const QRectF& a, const QRectF& b)
{
    double left = std::max(a.x(), b.x());
    double right = std::min(a.x() + a.width(), b.x() + b.width());
    double top = std::max(a.y(), b.y());
    double bottom = std::min(maxY(a), maxY(b));
    double width = right - left;
    double height = bottom - top;
    if (!(std::isfinite(width) && std::isfinite(height)) || width <= 0 || height <= 0)
        return 0;
    double area = width * height;
    return std::isfinite(area) ? area : 0;
}

// The stored choices only when every one of them is a string.
std::map<std::string, std::string> monitorChoices(const UserDefaults& defaults)
{
    auto stored = defaults.dictionary(assistantDefaultsKey::monitorChoices);
    if (!stored)
        return {};
    std::map<std::string, std::string> choices;
    for (auto& [key, value] : *stored) {
        const std::string* text = value.asString();
        if (!text)
            return {};
        choices[key] = *text;
    }
    return choices;
}

// The assistant's windows on screen, as the window server lists them.
std::vector<QRectF> assistantWindowFrames(AssistantApp assistant)
{
    std::set<std::int64_t> pids;
    for (const RunningApplication& application : platform().workspace().runningApplications(assistant.bundleID()))
        if (!application.terminated)
            pids.insert(application.pid);
    if (pids.empty())
        return {};
    auto windows = platform().windowList().copyWindowInfo(
        windowListOption::onScreenOnly | windowListOption::excludeDesktopElements, nullWindowID);
    std::vector<QRectF> frames;
    for (const PlistValue& window : windows.value_or(PlistArray {})) {
        const PlistDictionary* entry = window.asDictionary();
        if (!entry)
            continue;
        auto pid = lookupInteger(*entry, windowKey::ownerPID);
        auto layer = lookupInteger(*entry, windowKey::layer);
        if (!pid || !pids.count(*pid) || !layer || *layer != 0)
            continue;
        const PlistValue* alpha = window.find(windowKey::alpha);
        if (auto value = alpha ? numberValue(*alpha) : std::nullopt; value && *value <= 0)
            continue;
        const PlistValue* bounds = window.find(windowKey::bounds);
        if (auto rect = bounds ? rectFromDictionary(*bounds) : std::nullopt)
            frames.push_back(*rect);
    }
    return frames;
}

} // namespace

std::string ConnectedMonitor::displayName() const
{
    return name.find("Built-in") != std::string::npos ? "MacBook" : name;
}

std::vector<ConnectedMonitor> ConnectedMonitor::read()
{
    Screens& screens = platform().screens();
    std::vector<ConnectedMonitor> monitors;
    for (const Screen& screen : screens.screens()) {
        auto number = screen.deviceDescription.find("NSScreenNumber");
        std::optional<std::uint64_t> displayNumber
            = number == screen.deviceDescription.end() ? std::nullopt : wholeNumber(number->second);
        if (!displayNumber || *displayNumber > UINT32_MAX)
            continue;
        auto uuid = screens.displayUUID(static_cast<std::uint32_t>(*displayNumber));
        if (!uuid)
            continue;
        monitors.push_back(ConnectedMonitor { *uuid, screen.localizedName, screen.frame, screen.visibleFrame,
            screens.isMainDisplay(static_cast<std::uint32_t>(*displayNumber)) });
    }
    return monitors;
}

std::optional<AssistantApp> AssistantApp::fromRawValue(std::string_view rawValue)
{
    for (Value value : allCases)
        if (AssistantApp(value).rawValue() == rawValue)
            return AssistantApp(value);
    return std::nullopt;
}

std::string AssistantApp::rawValue() const
{
    return value_ == codex ? "codex" : "claude";
}

std::string AssistantApp::name() const
{
    return value_ == codex ? "Codex" : "Claude";
}

std::string AssistantApp::bundleID() const
{
    return value_ == codex ? "com.openai.codex" : "com.anthropic.claudefordesktop";
}

AssistantScreenConfiguration AssistantScreenConfiguration::load(
    const std::vector<ConnectedMonitor>& monitors, const UserDefaults& defaults)
{
    auto choices = monitorChoices(defaults);
    auto selected = defaults.string(assistantDefaultsKey::selectedAssistant);
    std::optional<AssistantApp> chosen = selected ? AssistantApp::fromRawValue(*selected) : std::nullopt;
    if (!chosen)
        chosen = choices.count("claude") && !choices.count("codex") ? AssistantApp::claude : AssistantApp::codex;

    AssistantScreenConfiguration configuration;
    if (auto stored = defaults.string(assistantDefaultsKey::screenID))
        configuration.monitorID = *stored;
    else if (auto choice = choices.find(chosen->rawValue()); choice != choices.end())
        configuration.monitorID = choice->second;
    else if (auto main = std::find_if(monitors.begin(), monitors.end(), [](auto& monitor) { return monitor.isMain; });
             main != monitors.end())
        configuration.monitorID = main->id;
    else if (!monitors.empty())
        configuration.monitorID = monitors.front().id;
    // Only the first assistant is available for now, whatever was chosen.
    configuration.assistant = AssistantApp::codex;
    return configuration;
}

void AssistantScreenConfiguration::save(UserDefaults& defaults) const
{
    defaults.set(assistantDefaultsKey::selectedAssistant, "codex");
    if (monitorID)
        defaults.set(assistantDefaultsKey::screenID, *monitorID);
    else
        defaults.remove(assistantDefaultsKey::screenID);
}

AssistantScreenConfiguration AssistantScreenConfiguration::runtime(
    const std::vector<ConnectedMonitor>& monitors, const UserDefaults& defaults)
{
    AssistantScreenConfiguration configuration = load(monitors, defaults);
    if (configuration.monitorID)
        for (const ConnectedMonitor& monitor : monitors)
            if (equalIgnoringCase(monitor.id, *configuration.monitorID)) {
                configuration.monitorID = monitor.id;
                return configuration;
            }
    configuration.monitorID = AssistantRuntimeScreenSelection::monitorID(
        configuration.monitorID, monitors, assistantWindowFrames(configuration.assistant));
    return configuration;
}

DesktopScreenEligibility AssistantScreenConfiguration::eligibility(int number,
    const std::optional<std::vector<NativeDesktopState>>& desktops, const std::vector<ConnectedMonitor>& monitors) const
{
    bool connected = monitorID
        && std::any_of(monitors.begin(), monitors.end(),
            [this](const ConnectedMonitor& monitor) { return monitor.id == *monitorID; });
    return DesktopScreenPolicy::eligibility(
        number, desktops, monitorID, platform().screens().screensHaveSeparateSpaces(), connected);
}

std::optional<std::string> AssistantScreenConfiguration::blockingReason(
    const DesktopScreenEligibility& eligibility) const
{
    switch (eligibility.kind()) {
    case DesktopScreenEligibility::Kind::content:
        return std::nullopt;
    case DesktopScreenEligibility::Kind::reserved:
        return L("Cet écran est réservé à %@. Choisis un écran de contenu.", assistant.name());
    case DesktopScreenEligibility::Kind::sharedSpaces:
        // clang-format off
        return L("Active « Les écrans disposent d’espaces distincts » dans les réglages Bureau et Dock de macOS pour garder l’écran de l’assistant fixe.");
        // clang-format on
    case DesktopScreenEligibility::Kind::missingAssistantScreen:
        return L("L’écran dédié à %@ est déconnecté. Choisis un écran dans Ton assistant.", assistant.name());
    case DesktopScreenEligibility::Kind::unreadable:
        break;
    }
    return L("Impossible d’identifier l’écran de destination. Actualise puis réessaie.");
}

std::optional<std::string> AssistantRuntimeScreenSelection::monitorID(const std::optional<std::string>& saved,
    const std::vector<ConnectedMonitor>& monitors, const std::vector<QRectF>& windowFrames)
{
    if (monitors.empty())
        return std::nullopt;
    if (saved)
        for (const ConnectedMonitor& monitor : monitors)
            if (equalIgnoringCase(monitor.id, *saved))
                return monitor.id;
    auto mainMonitor = std::find_if(monitors.begin(), monitors.end(), [](auto& monitor) { return monitor.isMain; });
    const ConnectedMonitor& reference = mainMonitor != monitors.end() ? *mainMonitor : monitors.front();
    std::vector<QRectF> flipped;
    for (const ConnectedMonitor& monitor : monitors)
        flipped.emplace_back(monitor.frame.x(), maxY(reference.frame) - maxY(monitor.frame), monitor.frame.width(),
            monitor.frame.height());

    double bestTotal = 0;
    const ConnectedMonitor* best = nullptr;
    for (const QRectF& window : windowFrames) {
        if (!isFinite(window) || window.width() <= 0 || window.height() <= 0)
            continue;
        double total = 0;
        double largest = 0;
        const ConnectedMonitor* holder = nullptr;
        for (std::size_t index = 0; index < monitors.size(); ++index) {
            double area = overlap(window, flipped[index]);
            total += area;
            if (area > largest || (area > 0 && area == largest && monitors[index].isMain)) {
                largest = area;
                holder = &monitors[index];
            }
        }
        if (total > bestTotal) {
            bestTotal = total;
            best = holder;
        }
    }
    return best ? best->id : reference.id;
}

QRectF WindowPlacementGeometry::accessibilityRect(const QRectF& rect, double mainScreenTop)
{
    return QRectF(rect.x(), mainScreenTop - maxY(rect), rect.width(), rect.height());
}

QRectF WindowPlacementGeometry::centered(const QSizeF& size, const QRectF& container)
{
    double width = std::min(size.width(), container.width());
    double height = std::min(size.height(), container.height());
    QPointF middle(container.x() + container.width() / 2, container.y() + container.height() / 2);
    return QRectF(middle.x() - width / 2, middle.y() - height / 2, width, height);
}

} // namespace pellamor
