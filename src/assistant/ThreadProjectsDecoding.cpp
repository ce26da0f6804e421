#include "assistant/ThreadProjectsDecoding.h"

#include "assistant/TextCase.h"

#include <array>
#include <cstring>

namespace pellamor {

namespace {

using simdjson::dom::element;
using simdjson::dom::object;

// Compares with a literal in a few loads, without a call for every member of every conversation.
template <std::size_t size> bool is(std::string_view text, const char (&literal)[size])
{
    return text.size() == size - 1 && std::memcmp(text.data(), literal, size - 1) == 0;
}

// How many keys ahead of the one in hand a loop fetches table slots, so that memory latency overlaps; halfway,
// the slot has arrived and the key it holds is fetched in turn.
constexpr std::size_t fetchAhead = 32;
constexpr std::size_t keyFetchAhead = fetchAhead / 2;

// Applies `apply(item)` to keys a little after they were pushed, fetching their slots meanwhile.
struct QueuedKey {
    std::string_view key;
    std::uint64_t hash = 0;
    std::uint32_t value = 0;
    std::size_t position = 0;
};

template <class Apply> class FetchingQueue {
public:
    FetchingQueue(const StringIndex& index, Apply apply)
        : index_(index)
        , apply_(std::move(apply))
    {
    }

    void push(std::string_view key, std::uint32_t value, std::size_t position = 0)
    {
        QueuedKey& slot = ring_[pushed_ % fetchAhead];
        if (pushed_ >= fetchAhead)
            apply_(slot);
        slot = QueuedKey { key, StringIndex::hashOf(key), value, position };
        index_.prefetchSlot(slot.hash);
        if (pushed_ >= keyFetchAhead)
            index_.prefetchKey(ring_[(pushed_ - keyFetchAhead) % fetchAhead].hash);
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
    std::array<QueuedKey, fetchAhead> ring_ {};
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

std::optional<AssignmentTable> localAssignments(object assignments, const ProjectIDs& projects)
{
    AssignmentTable table;
    table.projectCount = static_cast<std::uint32_t>(projects.list.size());
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
            if (is(field.key, "projectKind"))
                kind = field.value.is_string() ? std::optional(std::string_view(field.value)) : std::nullopt;
            else if (is(field.key, "projectId"))
                projectID = field.value.is_string() ? std::optional(std::string_view(field.value)) : std::nullopt;
        }
        const auto project
            = kind && is(*kind, "local") && projectID ? projects.positions.find(*projectID) : std::nullopt;
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
        const bool local = is(host, "local");
        inStep = inStep && position < table.order.size() && sameText(table.order[position].first, member.key);
        if (inStep && table.order[position].second != 0)
            confirm(table.threads.valueAt(table.order[position].second - 1), local);
        else if (!inStep)
            queue.push(member.key, local ? 1 : 0);
        ++position;
    }
    queue.flush();
    return confirmed;
}

} // namespace

ThreadProjects decodeThreadProjects(
    std::optional<element> membershipElement, std::optional<element> assignmentsElement, const ProjectIDs& projects)
{
    object assignments, membership;
    if (!assignmentsElement || assignmentsElement->get(assignments) || !membershipElement
        || membershipElement->get(membership) || projects.list.empty())
        return {};
    auto table = localAssignments(assignments, projects);
    const auto confirmed = table ? confirmLocalMemberships(*table, membership) : std::nullopt;
    if (!confirmed)
        return {};
    StringIndex& threads = table->threads;

    // Conversation ids are usually lower case already; otherwise the table is made again under lower-cased ids,
    // in reading order, so that of two ids differing only in case the one read last wins.
    if (isLowercaseASCII(threads.keys()))
        return ThreadProjects(projects.list, std::move(threads), *confirmed);
    std::string lowered;
    StringIndex byLowercase;
    for (const auto& [key, slot] : table->order) {
        if (slot == 0)
            continue;
        const std::uint32_t project = threads.valueAt(slot - 1);
        if (project >= table->projectCount)
            continue;
        lowered.clear();
        appendLowercased(key, lowered);
        byLowercase.assign(lowered, project);
    }
    const std::size_t count = byLowercase.size();
    return ThreadProjects(projects.list, std::move(byLowercase), count);
}

} // namespace pellamor
