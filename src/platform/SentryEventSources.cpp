#include "platform/SentryEventSources.h"

#include "platform/Bundle.h"
#include "platform/Platform.h"
#include "platform/UUID.h"

#include <algorithm>
#include <csignal>
#include <cxxabi.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <link.h>
#include <memory>
#include <pthread.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace pellamor {
namespace {

std::string infoString(const char* key, const std::string& fallback)
{
    return lookupString(Bundle::main().infoDictionary(), key).valueOr(fallback);
}

int addImage(dl_phdr_info* info, std::size_t, void* data)
{
    auto& images = *static_cast<std::vector<SentryDebugMeta>*>(data);
    std::uint64_t low = UINT64_MAX, high = 0;
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        if (info->dlpi_phdr[i].p_type != PT_LOAD)
            continue;
        low = std::min<std::uint64_t>(low, info->dlpi_phdr[i].p_vaddr);
        high = std::max<std::uint64_t>(high, info->dlpi_phdr[i].p_vaddr + info->dlpi_phdr[i].p_memsz);
    }
    if (low > high || !info->dlpi_name || !*info->dlpi_name)
        return 0;
    images.push_back({ "elf", std::nullopt, std::string(info->dlpi_name), info->dlpi_addr + low, high - low });
    return 0;
}

std::string demangled(const std::string& name)
{
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> text(abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status), std::free);
    return status == 0 && text ? std::string(text.get()) : name;
}

} // namespace

SentryEnvironment SentryEnvironment::current()
{
    utsname system {};
    uname(&system);
    char host[256] {};
    gethostname(host, sizeof host - 1);
    OperatingSystemVersion version = platform().operatingSystemVersion();
    std::string osVersion = std::to_string(version.major) + "." + std::to_string(version.minor) + "."
        + std::to_string(version.patch);
    SentryEnvironment environment;
    environment.serverName = host;
    environment.contexts["os"] = { { "type", "os" }, { "name", "macOS" }, { "version", osVersion },
        { "build", system.version }, { "kernel_version", system.release }, { "rooted", false } };
    environment.contexts["device"] = { { "type", "device" }, { "family", "Mac" }, { "arch", system.machine },
        { "model", "Mac" }, { "memory_size", std::int64_t(sysconf(_SC_PHYS_PAGES)) * sysconf(_SC_PAGESIZE) } };
    environment.contexts["app"] = { { "type", "app" }, { "app_name", infoString("CFBundleName", "") },
        { "app_identifier", infoString("CFBundleIdentifier", "") },
        { "app_version", infoString("CFBundleShortVersionString", "") },
        { "app_build", infoString("CFBundleVersion", "") },
        { "app_home", platform().homeDirectory().string() } };
    environment.tags = { { "os.name", "macOS" }, { "os.version", osVersion }, { "device.arch", system.machine } };
    return environment;
}

SentryThread currentThread()
{
    SentryThread thread;
    thread.threadID = gettid();
    thread.current = true;
    char name[64] {};
    if (pthread_getname_np(pthread_self(), name, sizeof name) == 0 && name[0])
        thread.name = name;
    void* addresses[64];
    int count = backtrace(addresses, 64);
    SentryStacktrace stack;
    for (int i = 0; i < count; ++i) {
        SentryFrame frame;
        frame.instructionAddress = reinterpret_cast<std::uintptr_t>(addresses[i]);
        Dl_info info {};
        if (dladdr(addresses[i], &info)) {
            if (info.dli_fname)
                frame.package = info.dli_fname;
            if (info.dli_sname)
                frame.function = info.dli_sname;
            frame.imageAddress = reinterpret_cast<std::uintptr_t>(info.dli_fbase);
        }
        stack.frames.push_back(frame);
    }
    thread.stacktrace = stack;
    return thread;
}

std::vector<SentryDebugMeta> loadedImages()
{
    std::vector<SentryDebugMeta> images;
    dl_iterate_phdr(addImage, &images);
    return images;
}

std::string signalName(int signal)
{
    switch (signal) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGILL:
        return "SIGILL";
    case SIGFPE:
        return "SIGFPE";
    case SIGABRT:
        return "SIGABRT";
    case SIGTRAP:
        return "SIGTRAP";
    default:
        return "SIG" + std::to_string(signal);
    }
}

SentryEvent crashEvent(const CrashRecord& record, double timestamp)
{
    SentryEvent event;
    event.eventID = newEventID();
    event.timestamp = timestamp;
    event.level = SentryLevel::fatal;
    SentryStacktrace stack;
    for (std::uint64_t address : record.frames) {
        SentryFrame frame;
        frame.instructionAddress = address;
        auto module = std::find_if(record.modules.begin(), record.modules.end(), [address](const CrashModule& m) {
            return address >= m.start && address - m.start < m.size;
        });
        if (module != record.modules.end()) {
            frame.package = module->path;
            frame.imageAddress = module->start;
        }
        stack.frames.push_back(frame);
    }
    SentryException exception;
    SentryMechanism mechanism;
    mechanism.handled = false;
    if (record.kind == CrashRecord::Kind::terminate) {
        exception.type = record.exceptionType.empty() ? "std::terminate" : demangled(record.exceptionType);
        exception.value = "Terminated by an uncaught exception";
        mechanism.type = "cpp_exception";
    } else {
        exception.type = signalName(record.signal);
        char address[24];
        std::snprintf(address, sizeof address, "0x%llx", static_cast<unsigned long long>(record.address));
        exception.value = "Fatal signal " + exception.type + " (code " + std::to_string(record.code) + ") at " + address;
        mechanism.type = "signalhandler";
    }
    mechanism.description = exception.value;
    mechanism.data = nlohmann::json { { "signal", { { "number", record.signal }, { "code", record.code },
                                                       { "name", signalName(record.signal) } } } };
    exception.mechanism = mechanism;
    exception.stacktrace = stack;
    event.exceptions = std::vector<SentryException> { exception };
    SentryThread thread;
    thread.crashed = true;
    thread.current = true;
    if (!record.threadName.empty())
        thread.name = record.threadName;
    thread.stacktrace = stack;
    event.threads = std::vector<SentryThread> { thread };
    std::vector<SentryDebugMeta> images;
    for (const CrashModule& module : record.modules)
        images.push_back({ "elf", std::nullopt, module.path, module.start, module.size });
    event.debugMeta = images;
    return event;
}

void fillEvent(SentryEvent& event, const SentryEnvironment& environment)
{
    if (event.eventID.empty())
        event.eventID = newEventID();
    if (!event.serverName)
        event.serverName = environment.serverName;
    std::map<std::string, nlohmann::json> contexts = environment.contexts;
    if (event.contexts)
        for (const auto& [key, value] : *event.contexts)
            contexts[key] = value;
    event.contexts = contexts;
    std::map<std::string, std::string> tags = environment.tags;
    if (event.tags)
        for (const auto& [key, value] : *event.tags)
            tags[key] = value;
    event.tags = tags;
}

std::string newEventID()
{
    return UUID::random().hexString();
}

} // namespace pellamor
