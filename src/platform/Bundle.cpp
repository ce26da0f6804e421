#include "platform/Bundle.h"

#include "platform/FileContents.h"
#include "platform/Platform.h"
#include "platform/PropertyList.h"

namespace pellamor {

Bundle::Bundle(std::filesystem::path resources)
    : resources_(std::move(resources))
{
    if (auto info = dictionaryResource("Info", 1024 * 1024))
        info_ = std::move(*info);
}

Bundle Bundle::main()
{
    return Bundle(platform().resourcesDirectory());
}

std::filesystem::path Bundle::locateResources(const std::filesystem::path& executableDirectory)
{
    std::error_code error;
    if (auto beside = executableDirectory / "resources"; std::filesystem::is_directory(beside, error))
        return beside;
    if (std::filesystem::path source = PELLAMOR_SOURCE_RESOURCES; std::filesystem::is_directory(source, error))
        return source;
    return {};
}

std::optional<std::filesystem::path> Bundle::resourceURL() const
{
    if (resources_.empty())
        return std::nullopt;
    return resources_;
}

std::optional<std::string> Bundle::shortVersion() const
{
    return lookupString(info_, "CFBundleShortVersionString").optional();
}

std::optional<std::string> Bundle::buildVersion() const
{
    return lookupString(info_, "CFBundleVersion").optional();
}

std::optional<std::filesystem::path> Bundle::url(const std::string& name, const std::string& type) const
{
    if (resources_.empty() || name.empty())
        return std::nullopt;
    auto path = resources_ / (type.empty() ? name : name + "." + type);
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return std::nullopt;
    return path;
}

std::optional<PlistDictionary> Bundle::dictionaryResource(const std::string& name, std::size_t maxBytes) const
{
    std::optional<std::filesystem::path> path = url(name, "plist");
    if (!path)
        return std::nullopt;
    FileRead file = readFileContents(*path, maxBytes);
    if (file.status != FileRead::Status::read)
        return std::nullopt;
    std::optional<PlistValue> value = parsePropertyList(file.contents);
    if (!value || !value->asDictionary())
        return std::nullopt;
    return *value->asDictionary();
}

} // namespace pellamor
