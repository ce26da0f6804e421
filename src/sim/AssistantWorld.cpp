#include "sim/AssistantWorld.h"

#include "platform/UUID.h"

#include <algorithm>

namespace pellamor::sim {

namespace {

using nlohmann::json;

std::optional<std::string> stringMember(const json& object, const char* key, const std::string& at, std::string& fault)
{
    auto found = object.find(key);
    if (found == object.end()) {
        fault = at + "." + key + ": missing";
        return std::nullopt;
    }
    if (!found->is_string()) {
        fault = at + "." + key + ": expected a string";
        return std::nullopt;
    }
    return found->get<std::string>();
}

std::optional<AssistantProject> readProject(const json& item, const std::string& at, std::string& fault)
{
    if (!item.is_object()) {
        fault = at + ": expected { \"id\", \"name\", \"rootPaths\" }";
        return std::nullopt;
    }
    auto id = stringMember(item, "id", at, fault);
    auto name = id ? stringMember(item, "name", at, fault) : std::nullopt;
    if (!name)
        return std::nullopt;
    AssistantProject project { *id, *name, {} };
    if (auto roots = item.find("rootPaths"); roots != item.end()) {
        if (!roots->is_array()) {
            fault = at + ".rootPaths: expected a list of paths";
            return std::nullopt;
        }
        for (const json& root : *roots) {
            if (!root.is_string()) {
                fault = at + ".rootPaths: expected a list of paths";
                return std::nullopt;
            }
            project.rootPaths.push_back(root.get<std::string>());
        }
    }
    return project;
}

} // namespace

std::variant<AssistantWorld, std::string> readAssistantWorld(const json& member)
{
    if (!member.is_object())
        return std::string(": expected { \"projects\", \"conversations\", \"selected\" }");
    for (const auto& [key, value] : member.items()) {
        if (key != "projects" && key != "conversations" && key != "selected")
            return "." + key + ": unknown member";
    }
    AssistantWorld world;
    std::string fault;
    if (auto projects = member.find("projects"); projects != member.end()) {
        if (!projects->is_array())
            return std::string(".projects: expected an array");
        for (std::size_t index = 0; index < projects->size(); ++index) {
            auto project = readProject((*projects)[index], ".projects[" + std::to_string(index) + "]", fault);
            if (!project)
                return fault;
            world.projects.push_back(std::move(*project));
        }
    }
    if (auto conversations = member.find("conversations"); conversations != member.end()) {
        if (!conversations->is_object())
            return std::string(".conversations: expected an object from conversation UUID to project id");
        for (const auto& [conversation, project] : conversations->items()) {
            if (!UUID::parse(conversation))
                return ".conversations." + conversation + ": expected a conversation UUID";
            if (!project.is_string())
                return ".conversations." + conversation + ": expected a project id";
            world.conversations[conversation] = project.get<std::string>();
        }
    }
    if (auto selected = member.find("selected"); selected != member.end()) {
        if (!selected->is_string())
            return std::string(".selected: expected a project id");
        world.selected = selected->get<std::string>();
        bool known = std::any_of(world.projects.begin(), world.projects.end(),
                                 [&](const auto& project) { return project.id == world.selected; });
        if (!known)
            return std::string(".selected: no project has that id");
    }
    return world;
}

} // namespace pellamor::sim
