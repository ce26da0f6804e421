#include "assistant/ThreadProjects.h"

#include <algorithm>

namespace pellamor {

ThreadProjects::ThreadProjects(std::vector<std::string> projectIDs, StringIndex threads, std::size_t count)
    : projectIDs_(std::move(projectIDs))
    , threads_(std::move(threads))
    , count_(count)
{
}

ThreadProjects::ThreadProjects(std::initializer_list<std::pair<std::string_view, std::string_view>> entries)
{
    for (const auto& [thread, project] : entries) {
        auto known = std::find(projectIDs_.begin(), projectIDs_.end(), project);
        if (known == projectIDs_.end())
            known = projectIDs_.insert(projectIDs_.end(), std::string(project));
        threads_.assign(thread, static_cast<std::uint32_t>(known - projectIDs_.begin()));
    }
    count_ = threads_.size();
}

const std::string* ThreadProjects::find(std::string_view threadID) const
{
    auto index = threads_.find(threadID);
    return index && *index < projectIDs_.size() ? &projectIDs_[*index] : nullptr;
}

bool operator==(const ThreadProjects& a, const ThreadProjects& b)
{
    if (a.size() != b.size())
        return false;
    bool equal = true;
    a.threads_.forEach([&](std::string_view thread, std::uint32_t project) {
        if (project >= a.projectIDs_.size())
            return;
        const std::string* other = b.find(thread);
        equal = equal && other && *other == a.projectIDs_[project];
    });
    return equal;
}

} // namespace pellamor
