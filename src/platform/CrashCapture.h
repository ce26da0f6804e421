// The crash-reporting SDK's crash handler: on SEGV, BUS, ILL, FPE, ABRT or TRAP, and on std::terminate, it
// writes one record (see CrashRecord) into its folder with async-signal-safe calls only, then lets the process
// die by the same signal. Records are read and sent at the next start.
#pragma once

#include <filesystem>

namespace pellamor::CrashCapture {

// Installs the handlers (again, with a new folder, when already installed); false when the folder cannot be made.
// The alternate signal stack serves the calling thread; the module map is the one loaded at this call.
bool install(const std::filesystem::path& folder);
// Restores the handlers that were there before.
void uninstall();
bool isInstalled();

} // namespace pellamor::CrashCapture
