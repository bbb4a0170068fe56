#include "ui/LanUpdateRun.h"

#include "app/paths/CopyWholeFile.h"
#include "app/paths/PathHelpers.h"

void CheckUpdateLan(UpdateList* list, const Locations& locations, UpdateView& view) {
    view.ClearLog();
    std::wstring shareFolder = FolderOfPath(locations.lanConfigPath);
    view.AppendLog(L"连接到共享文件夹:\r\n" + shareFolder + L" \r\n\r\n");
    view.DisableButtons();

    while (UpdateEntry* entry = list ? list->FindPending() : nullptr) {
        if (!EqualsIgnoringAsciiCase(entry->path, locations.ownFileName)) {
            CopyWholeFile(shareFolder + entry->path, locations.programFolder + entry->path);
            view.AppendLog(L"正在更新: " + entry->path + L"文件\r\n\r\n");
        } else {
            // The running launcher is never overwritten: its new copy waits in the temporary folder.
            CopyWholeFile(shareFolder + entry->path, locations.TempFolder() + entry->path);
            view.AppendLog(kLauncherDeferredText);
        }
        entry->result = 0;
    }

    view.AppendLog(kAllDoneText);
    view.EnableButtons();
}
