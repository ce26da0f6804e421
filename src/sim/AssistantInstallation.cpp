#include "sim/AssistantInstallation.h"

#include "platform/UUID.h"
#include "sim/ScriptRunner.h"
#include "sim/SimulatedMac.h"

namespace pellamor::sim {

namespace {

using nlohmann::json;
using Prepared = std::variant<ScriptRunner::Block, std::string>;

const char* const assistantBundleID = "com.openai.codex";

Prepared prepareStep(SimulatedMac& mac, SimulatedAssistant* assistant, const json& argument)
{
    if (!assistant)
        return std::string("the world has no assistant");
    if (!argument.is_object() || argument.size() != 1)
        return std::string("expected { \"select\": <project id> } or { \"navigate\": <conversation UUID> }");
    if (auto select = argument.find("select"); select != argument.end()) {
        const auto& projects = assistant->world().projects;
        const bool known = select->is_string() && std::any_of(projects.begin(), projects.end(), [&](const auto& p) {
            return p.id == select->get<std::string>();
        });
        if (!known)
            return std::string("select: expected the id of one of the assistant's projects");
        return ScriptRunner::Block([assistant, id = select->get<std::string>()] { assistant->select(id); });
    }
    if (auto navigate = argument.find("navigate"); navigate != argument.end()) {
        if (!navigate->is_string() || !UUID::parse(navigate->get<std::string>()))
            return std::string("navigate: expected a conversation UUID");
        if (!mac.application(assistantBundleID))
            return std::string("navigate: no application has the bundle identifier com.openai.codex");
        return ScriptRunner::Block([&mac, assistant, conversation = navigate->get<std::string>()] {
            // Only a running assistant writes to its log.
            const Application* application = mac.application(assistantBundleID);
            if (application && !application->terminated)
                assistant->navigate(conversation, application->pid);
        });
    }
    return std::string("expected { \"select\": <project id> } or { \"navigate\": <conversation UUID> }");
}

} // namespace

std::unique_ptr<SimulatedAssistant> installSimulatedAssistant(SimulatedMac& mac)
{
    std::unique_ptr<SimulatedAssistant> assistant;
    auto member = mac.world().extensions.find("assistant");
    if (member != mac.world().extensions.end()) {
        auto world = readAssistantWorld(member->second);
        if (auto* read = std::get_if<AssistantWorld>(&world)) {
            assistant = std::make_unique<SimulatedAssistant>(mac.homeDirectory(), std::move(*read));
            assistant->writeStateIfMissing();
        }
    }
    mac.script().registerAction(
        "assistant", [&mac, raw = assistant.get()](const json& argument) { return prepareStep(mac, raw, argument); });
    return assistant;
}

} // namespace pellamor::sim
