// The product's display name and the user-defaults keys of the application shell.
#pragma once

namespace pellamor {

inline constexpr const char* appName = "Pellamor";
inline constexpr const char* assistantBundleID = "com.openai.codex";
// Legacy: project id to desktop number.
inline constexpr const char* preferencesKey = "projectDesktops";
inline constexpr const char* desktopIdentitiesKey = "projectDesktopIdentities";
inline constexpr const char* managedDesktopsKey = "automaticallyCreatedProjectDesktops";
// Legacy: array of dictionaries with the string keys "id" and "display".
inline constexpr const char* pendingDesktopInventoryKey = "pendingDesktopInventory";
// Legacy: project id to desktop number.
inline constexpr const char* pendingDesktopAssignmentsKey = "pendingDesktopAssignments";

} // namespace pellamor
