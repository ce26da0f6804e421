// Which desktop belongs to which project on which display, by stable identity, with its JSON form and the
// conversion of the older number-based data.
#pragma once

#include "desktops/ProjectDesktopSwitchTarget.h"
#include "platform/PlistValue.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace pellamor {

struct ProjectDesktopAssociation {
    std::uint64_t spaceID = 0;
    std::string display;
    std::optional<std::string> spaceUUID;

    ProjectDesktopAssociation() = default;
    ProjectDesktopAssociation(std::uint64_t spaceID, std::string display, std::optional<std::string> spaceUUID)
        : spaceID(spaceID)
        , display(std::move(display))
        , spaceUUID(std::move(spaceUUID))
    {
    }
    explicit ProjectDesktopAssociation(const NativeDesktopState& desktop)
        : ProjectDesktopAssociation(desktop.spaceID, desktop.display, desktop.spaceUUID)
    {
    }

    // A non-zero id, a clean display and, when present, a clean UUID.
    bool isValid() const;
    // How many times a store was checked by `isValid` in this process.
    static std::uint64_t validityChecks();
    // Same display ignoring case, then the same UUID ignoring case when this has one, else the same space id.
    bool denotes(const NativeDesktopState& desktop) const;

    friend bool operator==(const ProjectDesktopAssociation&, const ProjectDesktopAssociation&) = default;
};

// Where a project without usable content desktops goes: the dedicated display and its current desktop's number.
struct AssistantFallbackTarget {
    std::string display;
    std::optional<int> number;
    friend bool operator==(const AssistantFallbackTarget&, const AssistantFallbackTarget&) = default;
};

// What `resolvedTargets` and `assistantFallback` answer for one project.
struct ProjectResolution {
    std::vector<ProjectDesktopSwitchTarget> targets;
    std::optional<AssistantFallbackTarget> fallback;
};

class ProjectDesktopAssociations {
public:
    // The user default that holds the store.
    static constexpr const char* defaultsKey = "projectDesktopIdentities";

    // Project id → at most one desktop per display, in stored order.
    std::map<std::string, std::vector<ProjectDesktopAssociation>> targets;
    // Projects whose old desktop number did not convert; they use the dedicated screen's current desktop.
    std::set<std::string> unresolvedProjects;

    std::vector<ProjectDesktopSwitchTarget> resolvedTargets(
        const std::string& projectID, const std::vector<NativeDesktopState>& inventory) const;
    std::optional<AssistantFallbackTarget> assistantFallback(const std::string& projectID,
        const std::vector<NativeDesktopState>& inventory, const std::optional<std::string>& assistantDisplay) const;
    // Both answers for every project of `targets` and `unresolvedProjects`, the store and the inventory checked
    // once for all of them; empty when either is not usable.
    std::map<std::string, ProjectResolution> resolveAll(
        const std::vector<NativeDesktopState>& inventory, const std::optional<std::string>& assistantDisplay) const;
    // Number 0 clears the project; otherwise its desktop on that desktop's display becomes desktop `number`.
    bool assign(const std::string& projectID, int number, const std::vector<NativeDesktopState>& inventory);
    // Drops the project's associations that cannot be used now, and its unresolved mark.
    bool removeFallback(const std::string& projectID, const std::vector<NativeDesktopState>& inventory,
        const std::optional<std::string>& assistantDisplay);
    // Forgets one desktop in every project.
    void remove(std::uint64_t spaceID, const std::string& display, const std::optional<std::string>& spaceUUID);
    // Converts project id → desktop number into identities; existing identity data wins.
    bool migrate(const std::map<std::string, std::int64_t>& legacy, const std::vector<NativeDesktopState>& inventory);

    // Sorted keys, compact, version 2; none when the store is not valid.
    std::optional<std::string> encodedData() const;
    // Versions 2 and 1; none for anything malformed, nothing of it accepted.
    static std::optional<ProjectDesktopAssociations> decode(std::string_view data);

    bool isValid() const;
    // How many times a store was checked by `isValid` in this process.
    static std::uint64_t validityChecks();
    // Whether an inventory can be used: non-empty, clean, no id or UUID twice, each display's desktops together.
    static bool valid(const std::vector<NativeDesktopState>& inventory);

    // The pending inventory of the older data ("id" as decimal text, "display"); none if any element does not convert.
    static std::optional<std::vector<NativeDesktopState>> legacyInventory(const PlistArray& elements);

    friend bool operator==(const ProjectDesktopAssociations&, const ProjectDesktopAssociations&) = default;
};

} // namespace pellamor
