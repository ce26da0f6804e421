// User defaults kept in an XML property list file, replaced atomically; an unusable file is kept aside.
#pragma once

#include "platform/UserDefaults.h"

#include <filesystem>

namespace pellamor {

class FileDefaultsStorage final : public DefaultsStorage {
public:
    explicit FileDefaultsStorage(std::filesystem::path path)
        : path_(std::move(path))
    {
    }

    // "$HOME/Library/Preferences/fr.local.pellamor.plist".
    static std::filesystem::path standardPath(const std::filesystem::path& home);

    // A missing file is an empty domain. A file that cannot be read or is no property-list dictionary is
    // renamed aside and the domain starts empty; if it cannot be renamed, nothing is ever written over it.
    PlistDictionary load() override;
    bool save(const PlistDictionary& values) override;

    // Where the last load put an unusable file; empty when it put none there.
    const std::filesystem::path& keptAsidePath() const { return keptAside_; }

private:
    void keepAside();

    std::filesystem::path path_;
    std::filesystem::path keptAside_;
    bool writable_ = true;
};

} // namespace pellamor
