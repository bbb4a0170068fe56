#include "update/InternetCheck.h"

#include <windows.h>

#include "app/ConfigFile.h"
#include "update/MarkEntries.h"
#include "update/FetchVersionFile.h"
#include "update/FileVersion.h"

int TestEntryInternet(const UpdateEntry& entry, const Locations& locations) {
    FileVersion installed;
    if (QueryFileVersion(locations.programFolder + entry.path, installed) != 0) return 1;
    std::wstring requiredText = ReadIniString(locations.GetVersionFilePath(), entry.name);
    if (requiredText.empty()) return 0;
    FileVersion required;
    ParseVersionText(requiredText, required);
    return IsNewer(required, installed) ? 1 : 0;
}

namespace {

// False when the user left the prompt otherwise than with "忽略" (IDCANCEL).
bool PassDotNetPrompt(const Locations& locations, const DotNetPromptHooks& dotNet) {
    if (!dotNet.isInstalled || dotNet.isInstalled()) return true;
    std::wstring openUrl = ReadIniString(locations.GetVersionFilePath(), L"OpenURL1");
    std::wstring openInfo = ReadIniString(locations.GetVersionFilePath(), L"OpenInfo1");
    if (openUrl.empty() || openInfo.empty() || !dotNet.runPrompt) return true;
    return dotNet.runPrompt(openUrl, openInfo) == IDCANCEL;
}

}  // namespace

int CheckInternet(UpdateList& list, const Locations& locations, const UpdateSite& site,
                  const DotNetPromptHooks& dotNet) {
    if (FetchVersionFile(locations, site) < 0) return 0;
    if (!PassDotNetPrompt(locations, dotNet)) return -1;

    list.LoadBuiltInFiles();
    return MarkEntriesNeedingUpdate(list, locations, [&](const UpdateEntry& entry) { return TestEntryInternet(entry, locations); });
}
