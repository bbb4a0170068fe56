#include "update/MarkEntries.h"

#include "app/ConfigFile.h"

int MarkEntriesNeedingUpdate(UpdateList& list, const Locations& locations,
                             const std::function<int(const UpdateEntry&)>& test) {
    int count = 0;
    for (int i = 0; i < list.Count(); ++i) {
        UpdateEntry* entry = list.At(i);
        if (!entry) continue;
        entry->result = test(*entry);
        if (entry->result != 0 && entry->kind == kKindLauncher)
            WriteIniString(locations.GetConfigFilePath(), L"LaunchUpdate", L"1");
        count += entry->result;
    }
    return count;
}
