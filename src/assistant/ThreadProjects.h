// Which project each local conversation belongs to: lower-cased conversation id → project id.
#pragma once

#include "assistant/StringIndex.h"

#include <initializer_list>
#include <utility>

namespace pellamor {

class ThreadProjects {
public:
    ThreadProjects() = default;
    // `threads` maps each lower-cased conversation id to a position in `projectIDs`; a conversation whose value
    // is past the end of `projectIDs` has no project. `count` conversations have one.
    ThreadProjects(std::vector<std::string> projectIDs, StringIndex threads, std::size_t count);
    ThreadProjects(std::initializer_list<std::pair<std::string_view, std::string_view>> entries);

    // The conversation's project id; null when it has none.
    const std::string* find(std::string_view threadID) const;
    std::size_t size() const { return count_; }
    bool empty() const { return size() == 0; }

    friend bool operator==(const ThreadProjects& a, const ThreadProjects& b);

private:
    std::vector<std::string> projectIDs_;
    StringIndex threads_;
    std::size_t count_ = 0;
};

} // namespace pellamor
