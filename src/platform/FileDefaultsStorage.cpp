#include "platform/FileDefaultsStorage.h"

#include "platform/FileContents.h"
#include "platform/PropertyList.h"
#include "platform/UUID.h"

#include <cstdio>

namespace pellamor {

std::filesystem::path FileDefaultsStorage::standardPath(const std::filesystem::path& home)
{
    return home / "Library" / "Preferences" / "fr.local.pellamor.plist";
}

PlistDictionary FileDefaultsStorage::load()
{
    keptAside_.clear();
    writable_ = true;
    auto file = readFileContents(path_, maxPropertyListBytes);
    if (file.status == FileRead::Status::missing)
        return {};
    if (file.status == FileRead::Status::read) {
        // Only the two property-list formats count; the strings-file syntax would accept stray text.
        bool binary = file.contents.starts_with("bplist");
        auto value = binary ? parseBinaryPropertyList(file.contents) : parseXMLPropertyList(file.contents);
        if (value && value->asDictionary())
            return *value->asDictionary();
    }
    keepAside();
    return {};
}

void FileDefaultsStorage::keepAside()
{
    auto aside = path_;
    aside += ".unreadable-" + UUID::random().uuidString();
    if (std::rename(path_.c_str(), aside.c_str()) == 0) {
        keptAside_ = aside;
        return;
    }
    writable_ = false;
}

bool FileDefaultsStorage::save(const PlistDictionary& values)
{
    if (!writable_)
        return false;
    auto contents = writeXMLPropertyList(PlistValue(values));
    return contents && writeFileAtomically(path_, *contents);
}

} // namespace pellamor
