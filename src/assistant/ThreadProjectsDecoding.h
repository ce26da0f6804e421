// Decodes which local conversation belongs to which project, from the state file's two conversation maps.
#pragma once

#include "assistant/JsonPieces.h"
#include "assistant/StringIndex.h"
#include "assistant/ThreadProjects.h"

#include <simdjson.h>

namespace pellamor {

// The ids of the decoded projects, each once, and the position of each in the list.
struct ProjectIDs {
    std::vector<std::string> list;
    StringIndex positions;
};

// "thread-project-membership-host-ids" and "thread-project-assignments": conversations whose host is "local"
// and whose assignment is local to one of `projects`. Empty when either member is absent or of another form;
// both are parsed in full either way, and the document's bytes are then given back.
ThreadProjects decodeThreadProjects(JsonPieces& document, const JsonPieces::Member* membership,
    const JsonPieces::Member* assignments, const ProjectIDs& projects);

} // namespace pellamor
