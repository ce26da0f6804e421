#include "windows/WindowSpaceRuntime.h"

#include "assistant/Localization.h"
#include "platform/Platform.h"
#include "windows/WindowDescription.h"

#include <QString>
#include <QUrl>
#include <cmath>
#include <filesystem>
#include <set>

namespace pellamor {

namespace {

// Every Space of the window: current, other and on-all-Spaces ones.
const std::int32_t allSpacesMask = 7;
const std::uint32_t windowsOfSpaceOptions = 7;
const double metadataTimeout = 0.1;
const double elementTimeout = 0.3;

std::optional<std::string> stringAttribute(const AXElementRef& element, const char* attribute)
{
    auto value = element->copyAttributeValue(attribute);
    const std::string* text = value ? value->as<std::string>() : nullptr;
    return text ? std::optional<std::string>(*text) : std::nullopt;
}

// The last path component of the document's URL; none when it is not a URL or has none.
std::optional<std::string> documentName(const std::optional<std::string>& document)
{
    if (!document)
        return std::nullopt;
    QUrl url(QString::fromStdString(*document), QUrl::StrictMode);
    QString name = url.isValid() ? url.fileName() : QString();
    return name.isEmpty() ? std::nullopt : std::optional<std::string>(name.toStdString());
}

// The bundle's file name without extension, else the localised name, else the window server's owner name.
std::string applicationName(const RunningApplication& application, const WindowDescription& description)
{
    if (application.bundlePath) {
        std::filesystem::path bundle(*application.bundlePath);
        std::string name = (bundle.has_filename() ? bundle : bundle.parent_path()).stem().string();
        if (!name.empty())
            return name;
    }
    if (!application.localizedName.empty())
        return application.localizedName;
    if (description.ownerName && !description.ownerName->empty())
        return *description.ownerName;
    return L("Application");
}

} // namespace

std::shared_ptr<WindowSpaceRuntime> WindowSpaceRuntime::make()
{
    auto runtime = std::make_shared<WindowSpaceRuntime>();
    runtime->library_ = platform().frameworks().open(skylight::frameworkPath);
    if (!runtime->library_)
        return nullptr;
    runtime->connection_ = runtime->library_->function<skylight::MainConnectionID>("SLSMainConnectionID");
    runtime->readSpaces_ = runtime->library_->function<skylight::CopySpacesForWindows>("SLSCopySpacesForWindows");
    if (!runtime->connection_ || !runtime->readSpaces_)
        return nullptr;
    runtime->readWindows_
        = runtime->library_->function<skylight::CopyWindowsWithOptionsAndTags>("SLSCopyWindowsWithOptionsAndTags");
    if (auto services = platform().frameworks().open(hiservices::frameworkPath))
        runtime->axWindowID_ = services->function<hiservices::GetWindow>("_AXUIElementGetWindow");
    runtime->desktopRuntime_ = DesktopRuntime::make();
    return runtime;
}

std::optional<std::vector<NativeDesktopState>> WindowSpaceRuntime::desktops() const
{
    if (!desktopRuntime_)
        return std::nullopt;
    auto displays = desktopRuntime_->displays();
    if (!displays)
        return std::nullopt;
    return NativeDesktopState::inventory(*displays);
}

std::optional<std::vector<std::uint64_t>> WindowSpaceRuntime::spaces(std::uint32_t window) const
{
    auto answer = readSpaces_(connection_(), allSpacesMask, PlistArray { PlistValue(window) });
    const PlistArray* array = answer ? answer->asArray() : nullptr;
    if (!array)
        return std::nullopt;
    std::vector<std::uint64_t> spaces;
    spaces.reserve(array->size());
    for (const PlistValue& element : *array) {
        if (auto unsignedValue = element.asUnsigned())
            spaces.push_back(*unsignedValue);
        else if (auto integer = element.asInteger())
            spaces.push_back(static_cast<std::uint64_t>(*integer));
        else if (auto real = element.asReal(); real && std::isfinite(*real) && *real >= 0 && *real < 0x1p64)
            spaces.push_back(static_cast<std::uint64_t>(*real));
        else
            return std::nullopt;
    }
    return spaces;
}

std::optional<std::vector<std::uint32_t>> WindowSpaceRuntime::windowsInSpace(std::uint64_t space) const
{
    if (space == 0 || !readWindows_)
        return std::nullopt;
    std::uint64_t setTags = 0;
    std::uint64_t clearTags = 0;
    auto answer
        = readWindows_(connection_(), 0, PlistArray { PlistValue(space) }, windowsOfSpaceOptions, &setTags, &clearTags);
    const PlistArray* array = answer ? answer->asArray() : nullptr;
    if (!array)
        return std::nullopt;
    std::vector<std::uint32_t> windows;
    windows.reserve(array->size());
    for (const PlistValue& element : *array) {
        auto value = element.asBool() ? std::nullopt : numberValue(element);
        if (!value || !(*value > 0 && *value <= 4294967295.0) || std::floor(*value) != *value)
            return std::nullopt;
        windows.push_back(static_cast<std::uint32_t>(*value));
    }
    return windows;
}

std::vector<DesktopWindow> WindowSpaceRuntime::windows(bool includeHidden, bool readMetadata)
{
    Platform& machine = platform();
    auto list = machine.windowList().copyWindowInfo(windowListOption::excludeDesktopElements, nullWindowID);
    if (!list)
        return {};
    std::vector<std::pair<const PlistDictionary*, WindowDescription>> described;
    std::set<std::uint32_t> present;
    for (const PlistValue& value : *list) {
        const PlistDictionary* dictionary = value.asDictionary();
        if (!dictionary)
            continue;
        auto number = WindowOwnerIdentification::positiveInteger(descriptionValue(*dictionary, windowKey::number));
        if (number && *number <= UINT32_MAX)
            present.insert(static_cast<std::uint32_t>(*number));
        if (auto description = WindowDescription::parse(*dictionary))
            described.emplace_back(dictionary, *description);
    }
    std::erase_if(captureTitles_, [&](const auto& entry) { return !present.count(entry.first); });
    hiddenWindows_.retain(present);

    std::set<std::uint64_t> activeSpaces;
    if (auto inventory = desktops())
        for (const NativeDesktopState& desktop : *inventory)
            if (desktop.spaceID == desktop.currentSpaceID)
                activeSpaces.insert(desktop.spaceID);

    const int ownPID = Platform::processIdentifier();
    const bool trusted = machine.accessibility().isProcessTrusted();
    std::optional<bool> mayReadTitles;
    std::map<std::int32_t, std::optional<MetadataByWindow>> metadata;
    std::map<std::int32_t, std::optional<RunningApplication>> applications;
    const double now = machine.uptime();
    std::vector<DesktopWindow> windows;
    for (const auto& [dictionary, description] : described) {
        if (description.ownerPID == ownPID)
            continue;
        auto known = applications.find(description.ownerPID);
        if (known == applications.end())
            known = applications
                        .emplace(description.ownerPID, machine.workspace().runningApplication(description.ownerPID))
                        .first;
        const std::optional<RunningApplication>& application = known->second;
        if (!application || application->activationPolicy != ActivationPolicy::regular)
            continue;
        auto windowSpaces = spaces(description.number);
        if (!windowSpaces || windowSpaces->empty())
            continue;

        const Metadata* entry = nullptr;
        bool enumerated = false;
        if (readMetadata && trusted) {
            auto read = metadata.find(description.ownerPID);
            if (read == metadata.end())
                read = metadata.emplace(description.ownerPID, windowMetadata(description.ownerPID)).first;
            enumerated = read->second.has_value();
            if (enumerated) {
                auto found = read->second->find(description.number);
                entry = found == read->second->end() ? nullptr : &found->second;
            }
        }

        bool sourceIsActive = windowSpaces->size() == 1 && activeSpaces.count(windowSpaces->front());
        auto candidate = HiddenWindowTracker::candidate(description.onScreen, sourceIsActive, enumerated, entry);
        bool hidden = hiddenWindows_.observe(description.number, description.ownerPID, *windowSpaces, candidate, now);
        if (hidden && !includeHidden)
            continue;

        std::optional<std::string> captureTitle;
        if (auto capture = captureTitles_.find(description.number);
            capture != captureTitles_.end() && capture->second.pid == description.ownerPID)
            captureTitle = capture->second.title;
        std::optional<std::string> documentName = entry ? entry->documentName : std::nullopt;
        std::string title = DesktopWindow::resolvedTitle(
            description.name, entry ? entry->title : std::nullopt, captureTitle, documentName);
        if (!trusted && title == L("Fenêtre sans titre")) {
            if (!mayReadTitles)
                mayReadTitles = machine.windowList().preflightScreenCaptureAccess();
            if (!*mayReadTitles)
                title = L("Titre indisponible");
        }

        windows.push_back(DesktopWindow { description.number, description.ownerPID,
            applicationName(*application, description), application->bundleIdentifier.value_or(""), title,
            description.bounds, *windowSpaces, documentName, entry ? entry->isMinimized : std::nullopt });
    }
    return windows;
}

void WindowSpaceRuntime::updateCaptureTitle(std::uint32_t id, std::int32_t pid, const std::optional<std::string>& title)
{
    if (!title || trimmedText(*title).empty())
        return;
    captureTitles_[id] = CaptureTitle { pid, *title };
}

std::optional<PlistArray> WindowSpaceRuntime::allDescriptions() const
{
    return platform().windowList().copyWindowInfo(windowListOption::all, nullWindowID);
}

WindowDescriptions WindowSpaceRuntime::descriptions(std::uint32_t window) const
{
    if (window == 0)
        return std::nullopt;
    auto answer = platform().windowList().createDescriptions({ window });
    if (!answer)
        return std::nullopt;
    std::vector<PlistDictionary> dictionaries;
    for (const PlistValue& value : *answer) {
        const PlistDictionary* dictionary = value.asDictionary();
        if (!dictionary)
            return std::nullopt;
        dictionaries.push_back(*dictionary);
    }
    return dictionaries;
}

bool WindowSpaceRuntime::identifiesOwner(const DesktopWindow& record) const
{
    auto running = platform().workspace().runningApplication(record.pid);
    if (!running)
        return WindowOwnerIdentification::matches(record, descriptions(record.id), std::nullopt, std::nullopt, true);
    return WindowOwnerIdentification::matches(
        record, descriptions(record.id), running->pid, running->bundleIdentifier, running->terminated);
}

std::optional<DesktopWindow> WindowSpaceRuntime::window(const DesktopWindow& matching) const
{
    auto running = platform().workspace().runningApplication(matching.pid);
    auto windowDescriptions = descriptions(matching.id);
    auto windowSpaces = spaces(matching.id);
    const int ownPID = Platform::processIdentifier();
    if (!running)
        return WindowOwnerIdentification::refreshedRecord(
            matching, windowDescriptions, std::nullopt, std::nullopt, true, false, ownPID, windowSpaces);
    return WindowOwnerIdentification::refreshedRecord(matching, windowDescriptions, running->pid,
        running->bundleIdentifier, running->terminated, running->activationPolicy == ActivationPolicy::regular, ownPID,
        windowSpaces);
}

std::optional<std::vector<AXElementRef>> WindowSpaceRuntime::accessibilityWindows(
    std::int32_t pid, double timeout) const
{
    AXElementRef application = platform().accessibility().createApplication(pid);
    if (!application)
        return std::nullopt;
    application->setMessagingTimeout(timeout);
    auto value = application->copyAttributeValue("AXWindows");
    const AXValue::Array* array = value ? value->as<AXValue::Array>() : nullptr;
    if (!array)
        return std::nullopt;
    std::vector<AXElementRef> elements;
    elements.reserve(array->size());
    for (const AXValue& element : *array)
        if (const AXElementRef* reference = element.as<AXElementRef>(); reference && *reference)
            elements.push_back(*reference);
    return elements;
}

AXElementRef WindowSpaceRuntime::accessibilityWindow(const DesktopWindow& record) const
{
    if (!axWindowID_)
        return nullptr;
    auto elements = accessibilityWindows(record.pid, elementTimeout);
    if (!elements)
        return nullptr;
    for (const AXElementRef& element : *elements)
        if (windowID(element) == record.id)
            return element;
    return nullptr;
}

std::optional<std::uint32_t> WindowSpaceRuntime::windowID(const AXElementRef& element) const
{
    if (!axWindowID_ || !element)
        return std::nullopt;
    std::uint32_t number = 0;
    if (axWindowID_(element, &number) != AXError::success || number == 0)
        return std::nullopt;
    return number;
}

std::optional<WindowSpaceRuntime::MetadataByWindow> WindowSpaceRuntime::windowMetadata(std::int32_t pid) const
{
    if (!axWindowID_)
        return std::nullopt;
    auto elements = accessibilityWindows(pid, metadataTimeout);
    if (!elements)
        return std::nullopt;
    MetadataByWindow metadata;
    for (const AXElementRef& element : *elements) {
        auto number = windowID(element);
        if (!number)
            continue;
        auto minimized = element->copyAttributeValue("AXMinimized");
        const bool* isMinimized = minimized ? minimized->as<bool>() : nullptr;
        metadata[*number]
            = Metadata { stringAttribute(element, "AXTitle"), documentName(stringAttribute(element, "AXDocument")),
                  isMinimized ? std::optional<bool>(*isMinimized) : std::nullopt };
    }
    return metadata;
}

} // namespace pellamor
