#include "assistant/Models.h"

#include "assistant/Localization.h"
#include "assistant/ThreadProjectsDecoding.h"

#include <QCollator>
#include <QLocale>
#include <QString>
#include <algorithm>
#include <nlohmann/json.hpp>
#include <simdjson.h>

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
// The parser reads a little past the end of its input: bytes with room enough behind them are parsed where they
// are, others are copied into a buffer kept between decodes, so that its pages stay.
std::string_view padded(std::string_view bytes, std::size_t room)
{
    if (room >= simdjson::SIMDJSON_PADDING)
        return bytes;
    thread_local std::vector<char> buffer;
    if (buffer.size() < bytes.size() + simdjson::SIMDJSON_PADDING)
        buffer.resize(bytes.size() + simdjson::SIMDJSON_PADDING);
    std::copy(bytes.begin(), bytes.end(), buffer.begin());
    return std::string_view(buffer.data(), bytes.size());
}

constexpr int maximumNestingDepth = int(simdjson::DEFAULT_MAX_DEPTH);

element parseAllowingLargeNumbers(std::string_view bytes, std::size_t room, std::string& rewritten)
{
    element root;
    const std::string_view input = padded(bytes, room);
    auto error = sharedParser().parse(input.data(), input.size(), false).get(root);
    if (error == simdjson::NUMBER_ERROR) {
        // Writing the document out again recurses once per level: refuse what simdjson itself would refuse.
        const auto limitDepth = [](int depth, nlohmann::json::parse_event_t, nlohmann::json&) {
            if (depth > maximumNestingDepth)
                throw JSONParseError("JSON nesting too deep");
            return true;
        };
        try {
            rewritten = nlohmann::json::parse(bytes, limitDepth).dump();
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
    ProjectIDs ids;
};

DecodedProjects decodeProjects(object localProjects)
{
    // A key written twice counts once, with its last value.
    std::vector<std::pair<std::string_view, object>> entries;
    StringIndex keySlots;
    for (auto member : localProjects) {
        object entry;
        if (member.value.get(entry))
            throw ReaderError(ReaderError::Kind::unsupportedFormat);
        if (auto slot = keySlots.find(member.key)) {
            entries[*slot].second = entry;
            continue;
        }
        keySlots.assign(member.key, static_cast<std::uint32_t>(entries.size()));
        entries.emplace_back(member.key, entry);
    }

    DecodedProjects decoded;
    for (const auto& [key, entry] : entries) {
        auto name = stringMember(entry, "name");
        if (entry.size() == 0 || !name)
            continue;
        const std::string_view id = stringMember(entry, "id").value_or(key);
        if (!decoded.ids.positions.find(id)) {
            decoded.ids.positions.assign(id, static_cast<std::uint32_t>(decoded.ids.list.size()));
            decoded.ids.list.emplace_back(id);
        }
        decoded.projects.push_back(Project { std::string(id), std::string(*name), stringList(entry, "rootPaths") });
    }
    return decoded;
}

} // namespace

// clang-format off
ReaderError::ReaderError(Kind kind)
    : std::runtime_error(L("Le format de l’état local de Codex n’est pas reconnu. Une mise à jour de Codex peut nécessiter une adaptation de cette app."))
    , kind_(kind)
{
}
// clang-format on

CodexSnapshot CodexSnapshot::decode(const std::string& data)
{
    std::string_view bytes = data;
    if (bytes.starts_with(byteOrderMark))
        bytes.remove_prefix(byteOrderMark.size());
    std::string rewritten;
    object top;
    if (parseAllowingLargeNumbers(bytes, data.capacity() - data.size(), rewritten).get(top))
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
    std::stable_sort(
        keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
    for (std::size_t i = 0; i < projects.size(); ++i)
        projects[i] = std::move(keyed[i].second);
}

} // namespace pellamor
