#include "assistant/ThreadProjectsDecoding.h"

#include "assistant/TextCase.h"
#include "assistant/JsonPieces.h"

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

// The assignments under their exact conversation ids. A value below `projectCount` is a local assignment to
// that project; the same plus `projectCount` waits for the membership to confirm the conversation is local;
// `rejected` marks a conversation whose last assignment is not local or names no known project.
struct AssignmentTable {
    StringIndex threads;
    // Each assignment's conversation in reading order: its slot and where the index keeps its id, which the
    // membership reads in the same order.
    struct Assigned {
        std::uint32_t slot = 0, keyOffset = 0, keyLength = 0;
    };
    std::vector<Assigned> order;
    std::uint32_t projectCount = 0;
    std::uint32_t rejected() const { return 2 * projectCount; }
};

// Every piece of `member` is parsed, so that the whole document is checked; `read` sees them only while it
// answers true, and the answer is whether every piece was read.
template <class Read> bool readPieces(JsonPieces& document, const JsonPieces::Member& member, Read read)
{
    bool reading = member.value.is_object();
    document.forEachPiece(member, [&](element piece) { reading = reading && read(object(piece)); });
    return reading;
}

std::optional<AssignmentTable> localAssignments(
    JsonPieces& document, const JsonPieces::Member& assignments, const ProjectIDs& projects)
{
    AssignmentTable table;
    table.projectCount = static_cast<std::uint32_t>(projects.list.size());
    StringIndex& threads = table.threads;
    // Reserved for all, so that no slot moves while `order` holds it.
    const std::size_t count = document.count(assignments);
    threads.reserve(count, count * 40);
    table.order.reserve(count);
    FetchingQueue queue(threads, [&](const QueuedKey& item) {
        const std::size_t slot = threads.assign(item.key, item.hash, item.value);
        const std::string_view key = threads.keyAt(slot);
        table.order[item.position] = { static_cast<std::uint32_t>(slot),
            static_cast<std::uint32_t>(key.data() - threads.keys().data()), static_cast<std::uint32_t>(key.size()) };
    });
    const bool read = readPieces(document, assignments, [&](object piece) {
        for (auto member : piece) {
            object assignment;
            if (member.value.get(assignment))
                return false;
            // One pass over the assignment's members; the last of a repeated member counts.
            std::optional<std::string_view> kind, projectID;
            for (auto field : assignment) {
                if (is(field.key, "projectKind"))
                    kind = field.value.is_string() ? std::optional(std::string_view(field.value)) : std::nullopt;
                else if (is(field.key, "projectId"))
                    projectID
                        = field.value.is_string() ? std::optional(std::string_view(field.value)) : std::nullopt;
            }
            const auto project
                = kind && is(*kind, "local") && projectID ? projects.positions.find(*projectID) : std::nullopt;
            table.order.emplace_back();
            queue.push(member.key, project ? *project + table.projectCount : table.rejected(), table.order.size() - 1);
        }
        // The piece's texts end with it.
        queue.flush();
        return true;
    });
    if (!read)
        return std::nullopt;
    return table;
}

// Confirms the conversations whose host is "local"; the last host id of a conversation counts. Gives how many
// are confirmed, or none when a host id is not a string: the membership then counts as empty.
std::optional<std::size_t> confirmLocalMemberships(
    AssignmentTable& table, JsonPieces& document, const JsonPieces::Member& membership)
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
    const bool read = readPieces(document, membership, [&](object piece) {
        for (auto member : piece) {
            std::string_view host;
            if (member.value.get(host))
                return false;
            const bool local = is(host, "local");
            if (inStep && position < table.order.size()) {
                const auto& assigned = table.order[position];
                inStep = sameText(table.threads.keys().substr(assigned.keyOffset, assigned.keyLength), member.key);
            } else {
                inStep = false;
            }
            if (inStep)
                confirm(table.threads.valueAt(table.order[position].slot), local);
            else
                queue.push(member.key, local ? 1 : 0);
            ++position;
        }
        queue.flush();
        return true;
    });
    if (!read)
        return std::nullopt;
    return confirmed;
}

} // namespace

ThreadProjects decodeThreadProjects(JsonPieces& document, const JsonPieces::Member* membership,
    const JsonPieces::Member* assignments, const ProjectIDs& projects)
{
    const auto skip = [&](const JsonPieces::Member* member) {
        if (member)
            document.forEachPiece(*member, [](element) { });
    };
    if (!assignments || !membership || projects.list.empty()) {
        skip(assignments);
        skip(membership);
        return {};
    }
    auto table = localAssignments(document, *assignments, projects);
    const auto confirmed = table ? confirmLocalMemberships(*table, document, *membership) : std::nullopt;
    if (!table)
        skip(membership);
    document.releaseBytes();
    if (!confirmed)
        return {};
    StringIndex& threads = table->threads;

    // Conversation ids are usually lower case already; otherwise the table is made again under lower-cased ids,
    // in reading order, so that of two ids that differ only in case the one read last wins.
    if (isLowercaseASCII(threads.keys()))
        return ThreadProjects(projects.list, std::move(threads), *confirmed);
    std::string lowered;
    StringIndex byLowercase;
    byLowercase.reserve(*confirmed, threads.keys().size());
    for (const auto& assigned : table->order) {
        const std::uint32_t project = threads.valueAt(assigned.slot);
        if (project >= table->projectCount)
            continue;
        lowered.clear();
        appendLowercased(threads.keys().substr(assigned.keyOffset, assigned.keyLength), lowered);
        byLowercase.assign(lowered, project);
    }
    const std::size_t count = byLowercase.size();
    return ThreadProjects(projects.list, std::move(byLowercase), count);
}

} // namespace pellamor
