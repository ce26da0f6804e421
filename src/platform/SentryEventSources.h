// What the crash-reporting SDK fills into events: the machine's contexts and tags, the current thread's stack,
// the loaded images, and the fatal event of a crash record.
#pragma once

#include "platform/CrashRecord.h"
#include "platform/SentryEvent.h"

#include <map>
#include <string>

namespace pellamor {

// Facts gathered once, on the main thread, when the SDK starts.
struct SentryEnvironment {
    std::string serverName;
    std::map<std::string, nlohmann::json> contexts;
    std::map<std::string, std::string> tags;

    static SentryEnvironment current();
};

// The calling thread, named and with its stack, its frames naming their images by path.
SentryThread currentThread();
std::vector<SentryDebugMeta> loadedImages();
// "SIGSEGV", "SIGABRT"…; "SIG<number>" for others.
std::string signalName(int signal);
// A fatal event: the crash as an exception on the crashed thread, its frames and images from the record.
SentryEvent crashEvent(const CrashRecord& record, double timestamp);
// Fills what the SDK adds to every event; keeps what the event already has.
void fillEvent(SentryEvent& event, const SentryEnvironment& environment);
// 32 random lower-case hexadecimal digits.
std::string newEventID();

} // namespace pellamor
