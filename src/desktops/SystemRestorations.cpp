#include "desktops/SystemRestorations.h"

#include "desktops/DesktopModel.h"
#include "desktops/DesktopRuntime.h"
#include "platform/Platform.h"

#include <algorithm>
#include <functional>
#include <iterator>

namespace pellamor::SystemRestorations {
namespace {

const char* const enhancedUserInterface = "AXEnhancedUserInterface";

PlistArray records(const char* key)
{
    return platform().standardDefaults().array(key).valueOr({});
}

void add(const char* key, const PlistValue& record)
{
    PlistArray list = records(key);
    if (std::find(list.begin(), list.end(), record) != list.end())
        return;
    list.push_back(record);
    platform().standardDefaults().set(key, list);
}

void drop(const char* key, const PlistValue& record)
{
    PlistArray list = records(key);
    if (std::erase(list, record) == 0)
        return;
    UserDefaults& defaults = platform().standardDefaults();
    if (list.empty())
        defaults.remove(key);
    else
        defaults.set(key, list);
}

PlistValue encoded(const ApplicationInstance& application)
{
    PlistDictionary record { { "pid", std::int64_t { application.pid } } };
    if (application.bundleID)
        record["bundleID"] = *application.bundleID;
    if (application.launchDate)
        record["launched"] = application.launchDate->secondsSince1970;
    return record;
}

std::optional<ApplicationInstance> decoded(const PlistValue& record)
{
    const PlistDictionary* fields = record.asDictionary();
    if (!fields)
        return std::nullopt;
    Lookup<std::int64_t> pid = lookupInteger(*fields, "pid");
    if (!pid || *pid <= 0 || *pid > INT32_MAX)
        return std::nullopt;
    std::optional<double> launched = lookupReal(*fields, "launched").optional();
    return ApplicationInstance { static_cast<int>(*pid), lookupString(*fields, "bundleID").optional(),
        launched ? std::optional(PlistDate { *launched }) : std::nullopt };
}

// True once the hot key is off, whoever switched it off.
bool switchedOff(const DesktopRuntime& runtime, std::uint32_t hotkey)
{
    return !runtime.isEnabled(hotkey) || (runtime.setEnabled(hotkey, false) == 0 && !runtime.isEnabled(hotkey));
}

// True once the enhanced interface is on again, or when that instance no longer runs.
bool switchedOn(const ApplicationInstance& application)
{
    if (runningInstance(application.pid) != application)
        return true;
    AXElementRef element = platform().accessibility().createApplication(application.pid);
    element->setMessagingTimeout(0.3);
    element->setAttributeValue(enhancedUserInterface, true);
    auto value = element->copyAttributeValue(enhancedUserInterface);
    const bool* enabled = value ? value->as<bool>() : nullptr;
    return enabled && *enabled;
}

// Only the shortcuts this application switches on may be switched back off: any other id is someone else's.
std::optional<std::uint32_t> switchToDesktopHotkey(const PlistValue& record)
{
    std::optional<std::int64_t> hotkey = record.integerValue();
    if (!hotkey)
        return std::nullopt;
    for (int number = DesktopTargets::supportedFirst; number <= DesktopTargets::supportedLast; ++number)
        if (DesktopTargets::hotkeyID(number) == hotkey)
            return static_cast<std::uint32_t>(*hotkey);
    return std::nullopt;
}

// Keeps the records that still have something to put back, and anything that is not a list goes. The list is
// read and written once, however many records it holds.
void restore(const char* key, const std::function<bool(const PlistValue&)>& stillPending)
{
    UserDefaults& defaults = platform().standardDefaults();
    std::optional<PlistValue> stored = defaults.object(key);
    if (!stored)
        return;
    const PlistArray* list = stored->asArray();
    PlistArray pending;
    if (list)
        std::copy_if(list->begin(), list->end(), std::back_inserter(pending), stillPending);
    if (list && pending.size() == list->size())
        return;
    if (pending.empty())
        defaults.remove(key);
    else
        defaults.set(key, pending);
}

} // namespace

std::optional<ApplicationInstance> runningInstance(int pid)
{
    std::optional<RunningApplication> running = platform().workspace().runningApplication(pid);
    if (!running || running->terminated)
        return std::nullopt;
    return ApplicationInstance { pid, running->bundleIdentifier, running->launchDate };
}

void recordShortcut(std::uint32_t hotkey)
{
    add(shortcutsKey, PlistValue(std::int64_t { hotkey }));
}

void forgetShortcut(std::uint32_t hotkey)
{
    drop(shortcutsKey, PlistValue(std::int64_t { hotkey }));
}

void recordEnhancedInterface(const ApplicationInstance& application)
{
    add(enhancedInterfacesKey, encoded(application));
}

void forgetEnhancedInterface(const ApplicationInstance& application)
{
    drop(enhancedInterfacesKey, encoded(application));
}

void restoreRecorded()
{
    std::shared_ptr<DesktopRuntime> runtime = DesktopRuntime::make();
    restore(shortcutsKey, [&runtime](const PlistValue& record) {
        std::optional<std::uint32_t> hotkey = switchToDesktopHotkey(record);
        return hotkey && !(runtime && switchedOff(*runtime, *hotkey));
    });
    restore(enhancedInterfacesKey, [](const PlistValue& record) {
        std::optional<ApplicationInstance> application = decoded(record);
        return application && !switchedOn(*application);
    });
}

} // namespace pellamor::SystemRestorations
