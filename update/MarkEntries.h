// The common end of both start-up checks: test every entry, store the outcome in its result,
// and record in the configuration file when the launcher's own file needs an update.
#pragma once
#include <functional>

#include "app/Locations.h"
#include "update/UpdateList.h"

// Returns the number of entries marked as needing an update.
int MarkEntriesNeedingUpdate(UpdateList& list, const Locations& locations,
                             const std::function<int(const UpdateEntry&)>& test);
