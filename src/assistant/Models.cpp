#include "assistant/Models.h"

#include "assistant/Localization.h"
#include "assistant/TextCase.h"

#include <QCollator>
#include <QLocale>
#include <QString>
#include <nlohmann/json.hpp>
#include <simdjson.h>

#include <algorithm>
#include <array>

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

element parseAllowingLargeNumbers(std::string_view bytes, std::size_t room, std::string& rewritten)
{
    element root;
    const std::string_view input = padded(bytes, room);
    auto error = sharedParser().parse(input.data(), input.size(), false).get(root);
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
    // Project id → its position among the ids of the decoded projects.
    StringIndex ids;
    std::vector<std::string> idList;
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
        if (!decoded.ids.find(id)) {
            decoded.ids.assign(id, static_cast<std::uint32_t>(decoded.idList.size()));
            decoded.idList.emplace_back(id);
        }
        decoded.projects.push_back(Project{std::string(id), std::string(*name), stringList(entry, "rootPaths")});
    }
    return decoded;
}

// How many keys ahead of the one in hand a loop fetches table slots, so that memory latency overlaps.
constexpr std::size_t fetchAhead = 16;

// Applies `apply(item)` to keys a little after they were pushed, fetching their slots meanwhile.
struct QueuedKey {
    std::string_view key;
    std::uint64_t hash = 0;
    std::uint32_t value = 0;
    std::size_t position = 0;
};

template <class Apply>
class FetchingQueue {
public:
    FetchingQueue(const StringIndex& index, Apply apply) : index_(index), apply_(std::move(apply)) {}

    void push(std::string_view key, std::uint32_t value, std::size_t position = 0)
    {
        QueuedKey& slot = ring_[pushed_ % fetchAhead];
        if (pushed_ >= fetchAhead)
            apply_(slot);
        slot = QueuedKey{key, StringIndex::hashOf(key), value, position};
        index_.prefetchSlot(slot.hash);
        ++pushed_;
    }
    void flush()
    {
        const std::size_t first = pushed_ > fetchAhead ? pushed_ - fetchAhead : 0;
        for (std::size_t i = first; i < pushed_; ++i)
            apply_(ring_[i % fetchAhead]);
        pushed_ = 0;
    }

private:
    const StringIndex& index_;
    Apply apply_;
    std::array<QueuedKey, fetchAhead> ring_{};
    std::size_t pushed_ = 0;
};

std::vector<std::pair<std::string_view, std::size_t>>& reusedOrder()
{
    thread_local std::vector<std::pair<std::string_view, std::size_t>> order;
    order.clear();
    return order;
}

// The assignments under their exact conversation ids. A value below `projectCount` is a local assignment to
// that project; the same plus `projectCount` waits for the membership to confirm the conversation is local;
// `rejected` marks a conversation whose last assignment is not local or names no known project.
struct AssignmentTable {
    StringIndex threads;
    // Each assignment in reading order, with 1 + the slot of its conversation (0: none). Kept between decodes,
    // so that its pages stay.
    std::vector<std::pair<std::string_view, std::size_t>>& order = reusedOrder();
    std::uint32_t projectCount = 0;
    std::uint32_t rejected() const { return 2 * projectCount; }
};

std::optional<AssignmentTable> localAssignments(object assignments, const DecodedProjects& projects)
{
    AssignmentTable table;
    table.projectCount = static_cast<std::uint32_t>(projects.idList.size());
    StringIndex& threads = table.threads;
    threads.reserve(assignments.size(), assignments.size() * 40);
    table.order.reserve(assignments.size());
    FetchingQueue queue(threads, [&](const QueuedKey& item) {
        if (item.value != table.rejected()) {
            table.order[item.position].second = 1 + threads.assign(item.key, item.hash, item.value);
            return;
        }
        if (std::uint32_t* value = threads.findValue(item.key, item.hash))
            *value = table.rejected();
    });
    for (auto member : assignments) {
        object assignment;
        if (member.value.get(assignment))
            return std::nullopt;
        // One pass over the assignment's members; the last of a repeated member counts.
        std::optional<std::string_view> kind, projectID;
        for (auto field : assignment) {
            if (field.key == "projectKind")
                kind = field.value.is_string() ? std::optional(std::string_view(field.value)) : std::nullopt;
            else if (field.key == "projectId")
                projectID = field.value.is_string() ? std::optional(std::string_view(field.value)) : std::nullopt;
        }
        const auto project = kind == "local" && projectID ? projects.ids.find(*projectID) : std::nullopt;
        table.order.emplace_back(member.key, 0);
        queue.push(member.key, project ? *project + table.projectCount : table.rejected(), table.order.size() - 1);
    }
    queue.flush();
    return table;
}

// Confirms the conversations whose host is "local"; the last host id of a conversation counts. Gives how many
// are confirmed, or none when a host id is not a string: the membership then counts as empty.
std::optional<std::size_t> confirmLocalMemberships(AssignmentTable& table, object membership)
{
    std::size_t confirmed = 0;
    const std::uint32_t projectCount = table.projectCount;
    auto confirm = [&](std::uint32_t& value, bool local) {
        if (value >= table.rejected())
            return;
        const bool wasConfirmed = value < projectCount;
        value = value % projectCount + (local ? 0 : projectCount);
        confirmed = confirmed + (local ? 1 : 0) - (wasConfirmed ? 1 : 0);
    };
    FetchingQueue queue(table.threads, [&](const QueuedKey& item) {
        if (std::uint32_t* value = table.threads.findValue(item.key, item.hash))
            confirm(*value, item.value != 0);
    });
    // While the membership lists the conversations in the order of the assignments, each one's slot is known.
    bool inStep = true;
    std::size_t position = 0;
    for (auto member : membership) {
        std::string_view host;
        if (member.value.get(host))
            return std::nullopt;
        const bool local = host == "local";
        inStep = inStep && position < table.order.size() && table.order[position].first == member.key;
        if (inStep && table.order[position].second != 0)
            confirm(table.threads.valueAt(table.order[position].second - 1), local);
        else if (!inStep)
            queue.push(member.key, local ? 1 : 0);
        ++position;
    }
    queue.flush();
    return confirmed;
}

ThreadProjects decodeThreadProjects(std::optional<element> membershipElement, std::optional<element> assignmentsElement,
                                    const DecodedProjects& projects)
{
    object assignments, membership;
    if (!assignmentsElement || assignmentsElement->get(assignments) || !membershipElement
        || membershipElement->get(membership) || projects.idList.empty())
        return {};
    auto table = localAssignments(assignments, projects);
    const auto confirmed = table ? confirmLocalMemberships(*table, membership) : std::nullopt;
    if (!confirmed)
        return {};
    StringIndex& threads = table->threads;

    // Conversation ids are usually lower case already; otherwise the table is made again under lower-cased ids.
    if (isLowercaseASCII(threads.keys()))
        return ThreadProjects(projects.idList, std::move(threads), *confirmed);
    std::string lowered;
    StringIndex byLowercase;
    threads.forEach([&](std::string_view key, std::uint32_t project) {
        if (project >= table->projectCount)
            return;
        lowered.clear();
        appendLowercased(key, lowered);
        byLowercase.assign(lowered, project);
    });
    const std::size_t count = byLowercase.size();
    return ThreadProjects(projects.idList, std::move(byLowercase), count);
}

} // namespace

ReaderError::ReaderError(Kind kind)
    : std::runtime_error(L("Le format de l’état local de Codex n’est pas reconnu. Une mise à jour de Codex peut nécessiter une adaptation de cette app."))
    , kind_(kind)
{
}

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
    snapshot.localThreadProjects = decodeThreadProjects(membership, assignments, decoded);
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
