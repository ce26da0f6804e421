#include "assistant/Models.h"

#include "assistant/Localization.h"
#include "assistant/TextCase.h"

#include <QCollator>
#include <QLocale>
#include <QString>
#include <nlohmann/json.hpp>
#include <simdjson.h>

#include <algorithm>
#include <unordered_set>

namespace pellamor {

namespace {

using simdjson::dom::element;
using simdjson::dom::object;

constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

simdjson::dom::parser& sharedParser()
{
    thread_local simdjson::dom::parser parser;
    return parser;
}

// Numbers beyond 64 bits are valid JSON that the fast parser refuses: a general parser reads the document
// and writes it again with such numbers as reals. The string keeps the bytes the returned element refers to.
element parseAllowingLargeNumbers(std::string_view bytes, std::string& rewritten)
{
    element root;
    auto error = sharedParser().parse(bytes.data(), bytes.size()).get(root);
    if (error == simdjson::NUMBER_ERROR) {
        try {
            rewritten = nlohmann::json::parse(bytes).dump();
        } catch (const nlohmann::json::exception& failure) {
            throw JSONParseError(failure.what());
        }
        error = sharedParser().parse(rewritten).get(root);
    }
    if (error)
        throw JSONParseError(simdjson::error_message(error));
    if (!root.is_object() && !root.is_array())
        throw JSONParseError("JSON text did not start with array or object");
    return root;
}

std::optional<std::string_view> stringMember(object entry, std::string_view key)
{
    std::string_view value;
    if (entry[key].get(value))
        return std::nullopt;
    return value;
}

std::vector<std::string> stringList(object entry, std::string_view key)
{
    simdjson::dom::array list;
    if (entry[key].get(list))
        return {};
    std::vector<std::string> strings;
    for (element item : list) {
        std::string_view text;
        if (item.get(text))
            return {};
        strings.emplace_back(text);
    }
    return strings;
}

struct DecodedProjects {
    std::vector<Project> projects;
    // Ids as the document spells them, valid while the parser holds the document.
    std::unordered_set<std::string_view> ids;
};

DecodedProjects decodeProjects(object localProjects)
{
    // A key written twice counts once, with its last value.
    std::vector<std::pair<std::string_view, object>> entries;
    std::unordered_map<std::string_view, std::size_t> keySlots;
    for (auto member : localProjects) {
        object entry;
        if (member.value.get(entry))
            throw ReaderError(ReaderError::Kind::unsupportedFormat);
        auto [slot, added] = keySlots.try_emplace(member.key, entries.size());
        if (added)
            entries.emplace_back(member.key, entry);
        else
            entries[slot->second].second = entry;
    }

    DecodedProjects decoded;
    for (const auto& [key, entry] : entries) {
        auto name = stringMember(entry, "name");
        if (entry.size() == 0 || !name)
            continue;
        const std::string_view id = stringMember(entry, "id").value_or(key);
        decoded.ids.insert(id);
        decoded.projects.push_back(Project{std::string(id), std::string(*name), stringList(entry, "rootPaths")});
    }
    return decoded;
}

// Conversation ids whose host is "local"; empty when any host id is not a string.
std::unordered_map<std::string_view, bool> localMemberships(std::optional<element> membership)
{
    std::unordered_map<std::string_view, bool> hosts;
    object members;
    if (!membership || membership->get(members))
        return hosts;
    hosts.reserve(members.size());
    for (auto member : members) {
        std::string_view host;
        if (member.value.get(host))
            return {};
        hosts[member.key] = host == "local";
    }
    return hosts;
}

ThreadProjects decodeThreadProjects(std::optional<element> membershipElement, std::optional<element> assignmentsElement,
                                    const std::unordered_set<std::string_view>& projectIDs)
{
    object assignments;
    if (!assignmentsElement || assignmentsElement->get(assignments))
        return {};
    const auto membership = localMemberships(membershipElement);
    ThreadProjects threads;
    threads.reserve(std::min(membership.size(), assignments.size()));
    for (auto member : assignments) {
        object assignment;
        if (member.value.get(assignment))
            return {};
        auto host = membership.find(member.key);
        if (host == membership.end() || !host->second)
            continue;
        auto kind = stringMember(assignment, "projectKind");
        auto projectID = stringMember(assignment, "projectId");
        if (kind != "local" || !projectID || !projectIDs.contains(*projectID))
            continue;
        threads[lowercased(member.key)] = std::string(*projectID);
    }
    return threads;
}

} // namespace

ReaderError::ReaderError(Kind kind)
    : std::runtime_error(L("Le format de l’état local de Codex n’est pas reconnu. Une mise à jour de Codex peut nécessiter une adaptation de cette app."))
    , kind_(kind)
{
}

CodexSnapshot CodexSnapshot::decode(std::string_view bytes)
{
    if (bytes.starts_with(byteOrderMark))
        bytes.remove_prefix(byteOrderMark.size());
    std::string rewritten;
    object top;
    if (parseAllowingLargeNumbers(bytes, rewritten).get(top))
        throw ReaderError(ReaderError::Kind::unsupportedFormat);

    // Members written twice count with their last value.
    std::optional<element> localProjects, selected, membership, assignments;
    for (auto member : top) {
        if (member.key == "local-projects")
            localProjects = member.value;
        else if (member.key == "selected-project")
            selected = member.value;
        else if (member.key == "thread-project-membership-host-ids")
            membership = member.value;
        else if (member.key == "thread-project-assignments")
            assignments = member.value;
    }
    object projectsObject;
    if (!localProjects || localProjects->get(projectsObject))
        throw ReaderError(ReaderError::Kind::unsupportedFormat);

    DecodedProjects decoded = decodeProjects(projectsObject);
    CodexSnapshot snapshot;
    snapshot.localThreadProjects = decodeThreadProjects(membership, assignments, decoded.ids);
    sortProjectsByName(decoded.projects);
    snapshot.projects = std::move(decoded.projects);

    object selection;
    if (selected && !selected->get(selection)) {
        auto type = stringMember(selection, "type");
        auto projectID = stringMember(selection, "projectId");
        if (type && projectID) {
            snapshot.sidebarSelectionToken = "project:" + std::string(*type) + ":" + std::string(*projectID);
            if (*type == "local")
                snapshot.selectedID = std::string(*projectID);
        }
    }
    if (snapshot.selectedID)
        snapshot.selectionToken = "project:" + *snapshot.selectedID;
    return snapshot;
}

void sortProjectsByName(std::vector<Project>& projects)
{
    QLocale locale;
    // The C locale's collator compares code points; the root order is the Finder's for such users.
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::vector<std::pair<QCollatorSortKey, Project>> keyed;
    keyed.reserve(projects.size());
    for (Project& project : projects)
        keyed.emplace_back(collator.sortKey(QString::fromStdString(project.name)), std::move(project));
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
    for (std::size_t i = 0; i < projects.size(); ++i)
        projects[i] = std::move(keyed[i].second);
}

} // namespace pellamor
