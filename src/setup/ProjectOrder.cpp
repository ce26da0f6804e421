#include "setup/ProjectOrder.h"

#include "ui/StandardText.h"

#include <algorithm>

namespace pellamor {

void sortProjectRows(std::vector<OverviewProjectAssignment>& rows)
{
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
        int order = localizedStandardCompare(a.name, b.name);
        if (order != 0)
            return order < 0;
        return a.id < b.id;
    });
}

} // namespace pellamor
