#include "assistant/Models.h"

#include "assistant/JsonPieces.h"
#include "assistant/Localization.h"
#include "assistant/ThreadProjectsDecoding.h"
#include "platform/StreamSafeText.h"

#include <QCollator>
#include <QLocale>
#include <QString>
#include <algorithm>
#include <simdjson.h>

namespace pellamor {

namespace {

using simdjson::dom::element;
using simdjson::dom::object;

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

std::optional<Project> decodeProject(std::string_view key, object entry)
{
    auto name = stringMember(entry, "name");
    if (entry.size() == 0 || !name)
        return std::nullopt;
    return Project { std::string(stringMember(entry, "id").value_or(key)), std::string(*name),
        stringList(entry, "rootPaths") };
}

struct DecodedProjects {
    std::vector<Project> projects;
    ProjectIDs ids;
    // A member of "local-projects" is not an object.
    bool unsupported = false;
};

DecodedProjects decodeProjects(JsonPieces& document, const JsonPieces::Member& localProjects)
{
    // A key written twice counts once, in its first place, with its last value.
    std::vector<std::optional<Project>> entries;
    StringIndex keySlots;
    DecodedProjects decoded;
    document.forEachPiece(localProjects, [&](element piece) {
        for (auto member : object(piece)) {
            object entry;
            decoded.unsupported = decoded.unsupported || member.value.get(entry);
            if (decoded.unsupported)
                continue;
            std::optional<Project> project = decodeProject(member.key, entry);
            if (auto slot = keySlots.find(member.key)) {
                entries[*slot] = std::move(project);
                continue;
            }
            keySlots.assign(member.key, static_cast<std::uint32_t>(entries.size()));
            entries.push_back(std::move(project));
        }
    });
    for (std::optional<Project>& project : entries) {
        if (!project)
            continue;
        if (!decoded.ids.positions.find(project->id)) {
            decoded.ids.positions.assign(project->id, static_cast<std::uint32_t>(decoded.ids.list.size()));
            decoded.ids.list.push_back(project->id);
        }
        decoded.projects.push_back(std::move(*project));
    }
    return decoded;
}

// The first "type" and "projectId" of the sidebar's selection, when both are strings.
std::optional<std::pair<std::string, std::string>> decodeSelection(
    JsonPieces& document, const JsonPieces::Member& selected)
{
    // Outside: the member was seen; inside: it is a string.
    std::optional<std::optional<std::string>> type, projectID;
    document.forEachPiece(selected, [&](element piece) {
        for (auto member : object(piece)) {
            auto* field = member.key == "type" ? &type : member.key == "projectId" ? &projectID : nullptr;
            if (!field || *field)
                continue;
            std::string_view text;
            field->emplace(member.value.get(text) ? std::nullopt : std::optional<std::string>(text));
        }
    });
    if (!type || !*type || !projectID || !*projectID)
        return std::nullopt;
    return std::pair { std::move(**type), std::move(**projectID) };
}

} // namespace

// clang-format off
ReaderError::ReaderError(Kind kind)
    : std::runtime_error(L("Le format de l’état local de Codex n’est pas reconnu. Une mise à jour de Codex peut nécessiter une adaptation de cette app."))
    , kind_(kind)
{
}
// clang-format on

CodexSnapshot CodexSnapshot::decode(std::string bytes)
{
    return decode(std::move(bytes), JsonPieces::defaultPieceBytes);
}

CodexSnapshot CodexSnapshot::decode(std::string bytes, std::size_t pieceBytes)
{
    JsonPieces document(std::move(bytes), pieceBytes);
    if (!document.root().is_object())
        throw ReaderError(ReaderError::Kind::unsupportedFormat);

    // Members written twice count with their last value.
    const JsonPieces::Member *localProjects = nullptr, *selected = nullptr, *membership = nullptr,
                             *assignments = nullptr;
    for (const JsonPieces::Member& member : document.members()) {
        if (member.key == "local-projects")
            localProjects = &member;
        else if (member.key == "selected-project")
            selected = &member;
        else if (member.key == "thread-project-membership-host-ids")
            membership = &member;
        else if (member.key == "thread-project-assignments")
            assignments = &member;
    }
    // Everything else is parsed first, and the members read are parsed in full even when their form is wrong:
    // a document that is not JSON is refused as such before any form is judged.
    for (const JsonPieces::Member& member : document.members()) {
        if (&member != localProjects && &member != selected && &member != membership && &member != assignments)
            document.forEachPiece(member, [](element) { });
    }
    const auto unsupported = [&] {
        for (const JsonPieces::Member* member : { localProjects, selected, membership, assignments }) {
            if (member)
                document.forEachPiece(*member, [](element) { });
        }
        return ReaderError(ReaderError::Kind::unsupportedFormat);
    };
    if (!localProjects || !localProjects->value.is_object())
        throw unsupported();
    DecodedProjects decoded = decodeProjects(document, *localProjects);
    if (decoded.unsupported)
        throw unsupported();

    CodexSnapshot snapshot;
    if (selected && selected->value.is_object()) {
        if (auto selection = decodeSelection(document, *selected)) {
            const auto& [type, projectID] = *selection;
            snapshot.sidebarSelectionToken = "project:" + type + ":" + projectID;
            if (type == "local")
                snapshot.selectedID = projectID;
        }
    }
    snapshot.localThreadProjects = decodeThreadProjects(document, membership, assignments, decoded.ids);
    sortProjectsByName(decoded.projects);
    snapshot.projects = std::move(decoded.projects);
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
        keyed.emplace_back(collator.sortKey(streamSafe(QString::fromStdString(project.name))), std::move(project));
    std::stable_sort(
        keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
    for (std::size_t i = 0; i < projects.size(); ++i)
        projects[i] = std::move(keyed[i].second);
}

} // namespace pellamor
