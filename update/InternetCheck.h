// The start-up check against the version file of the update site.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "app/Locations.h"
#include "update/UpdateList.h"
#include "update/UpdateSite.h"

// The .NET Framework 4.0 test and prompt, as the check uses them. The start-up sequence passes
// the registry test and the real prompt; tests pass their own.
struct DotNetPromptHooks {
    std::function<bool()> isInstalled;
    // Shows the prompt with the download address and the hint; returns its modal result.
    std::function<INT_PTR(const std::wstring& openUrl, const std::wstring& openInfo)> runPrompt;
};

// 1 when the entry's installed file is older than the version file requires, or unreadable.
int TestEntryInternet(const UpdateEntry& entry, const Locations& locations);
// -1: the .NET prompt ended otherwise than with 2; 0: the version file was not fetched or nothing
// needs an update; n > 0: the number of managed files that need an update.
int CheckInternet(UpdateList& list, const Locations& locations, const UpdateSite& site,
                  const DotNetPromptHooks& dotNet);
