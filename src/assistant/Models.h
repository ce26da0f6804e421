// The assistant-side models: its projects and the decoded global state file.
#pragma once

#include "assistant/SharedValue.h"
#include "assistant/ThreadProjects.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pellamor {

struct Project {
    std::string id;
    std::string name;
    // The project's root folder paths, possibly none.
    std::vector<std::string> roots;

    friend bool operator==(const Project&, const Project&) = default;
};

// The state file is JSON of a form this version does not know.
class ReaderError : public std::runtime_error {
public:
    enum class Kind { unsupportedFormat };
    explicit ReaderError(Kind kind);
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

// The state file is not JSON at all; the message is the parser's.
class JSONParseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CodexSnapshot {
    // Sorted by name, Finder-like; equal names keep their reading order.
    SharedValue<std::vector<Project>> projects;
    std::optional<std::string> selectedID;
    // "project:<id>" or "thread:local:<conversation id>": the selection whose changes are followed.
    std::optional<std::string> selectionToken;
    // "project:<type>:<id>" as the assistant's sidebar has it.
    std::optional<std::string> sidebarSelectionToken;
    SharedValue<ThreadProjects> localThreadProjects;

    friend bool operator==(const CodexSnapshot&, const CodexSnapshot&) = default;

    // The bytes of the state file; throws JSONParseError or ReaderError. Bytes with some spare capacity are
    // parsed without a copy, and given back before the conversations' table is finished.
    static CodexSnapshot decode(std::string bytes);
    // The same, with large documents parsed in pieces of about `pieceBytes`, sixteen pieces and more.
    static CodexSnapshot decode(std::string bytes, std::size_t pieceBytes);
};

// Stable Finder-like order by name: case-insensitive, digit runs by value, locale-aware.
void sortProjectsByName(std::vector<Project>& projects);

} // namespace pellamor
