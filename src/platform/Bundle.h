// The application bundle: its resources folder, its Info.plist and its resources by name and type.
#pragma once

#include "platform/PlistValue.h"

#include <filesystem>
#include <optional>
#include <string>

namespace pellamor {

class Bundle {
public:
    // A bundle over a resources folder; an empty path is a bundle without resources.
    explicit Bundle(std::filesystem::path resources);

    // The installed machine's application bundle.
    static Bundle main();
    // "resources" beside the executable, else the source tree's when run from a build tree; empty when neither.
    static std::filesystem::path locateResources(const std::filesystem::path& executableDirectory);

    // None when the bundle has no resources folder.
    std::optional<std::filesystem::path> resourceURL() const;
    // Info.plist's dictionary; empty when it is missing or malformed.
    const PlistDictionary& infoDictionary() const { return info_; }
    // "CFBundleShortVersionString" and "CFBundleVersion".
    std::optional<std::string> shortVersion() const;
    std::optional<std::string> buildVersion() const;
    // The resource "name.type" (or "name" when `type` is empty), when it exists.
    std::optional<std::filesystem::path> url(const std::string& name, const std::string& type) const;
    // The property-list resource "name.plist" when it is a dictionary of at most `maxBytes`; none otherwise.
    std::optional<PlistDictionary> dictionaryResource(const std::string& name, std::size_t maxBytes) const;

private:
    std::filesystem::path resources_;
    PlistDictionary info_;
};

} // namespace pellamor
