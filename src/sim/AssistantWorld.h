// The world file's "assistant" member: the simulated assistant's projects, conversations and selection.
#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace pellamor::sim {

struct AssistantProject {
    std::string id;
    std::string name;
    std::vector<std::string> rootPaths;
};

// The world's "assistant" member.
struct AssistantWorld {
    std::vector<AssistantProject> projects;
    // Conversation UUID → project id.
    std::map<std::string, std::string> conversations;
    std::optional<std::string> selected;
};

// The member, or what is wrong with it after the member's own path, e.g. ".projects[1].name: expected a string".
std::variant<AssistantWorld, std::string> readAssistantWorld(const nlohmann::json& member);

} // namespace pellamor::sim
