#include "ui/InternetUpdateRun.h"

#include "app/ConfigFile.h"
#include "app/paths/CopyWholeFile.h"
#include "app/paths/PathHelpers.h"
#include "ui/Backup.h"
#include "ui/LanUpdateRun.h"

void InternetUpdateRun::CheckUpdateInternet() {
    view_.ClearLog();
    view_.AppendLog(L"开始检查是否有新版本...\r\n\r\n");
    view_.AppendLog(L"连接到Zorvik网站 " + site_.host + L" \r\n\r\n");
    view_.DisableButtons();
    view_.StartDownload(site_.Url(L"/update/update.html"), locations_.GetVersionFilePath(),
                        WM_VERSIONFILE_DOWNLOADED);
}

bool InternetUpdateRun::OnWndMsg(UINT message) {
    if (message == WM_VERSIONFILE_DOWNLOADED) {
        StartFileUpdates();
        return true;
    }
    if (message == WM_UPDATEFILE_DOWNLOADED) {
        InstallDownloadedFile();
        return true;
    }
    return false;
}

void InternetUpdateRun::StartFileUpdates() {
    int pending = 0;
    for (int i = 0; list_ && i < list_->Count(); ++i) {
        if (UpdateEntry* entry = list_->At(i)) pending += entry->result;
    }
    if (pending > 0) {
        view_.AppendLog(L"共" + std::to_wstring(pending) + L"个文件待更新...\r\n");
        DownloadNextFile();
    } else {
        view_.AppendLog(L"所有软件无需更新...\r\n");
        view_.EnableButtons();
    }
}

void InternetUpdateRun::DownloadNextFile() {
    UpdateEntry* entry = FirstPending();
    if (!entry) return;
    BackupFile(entry->path, locations_, view_);
    view_.StartDownload(site_.Url(L"/update/" + entry->name), locations_.TempFolder() + entry->path,
                        WM_UPDATEFILE_DOWNLOADED);
}

void InternetUpdateRun::InstallDownloadedFile() {
    UpdateEntry* entry = FirstPending();
    if (!entry) return;
    if (!EqualsIgnoringAsciiCase(entry->path, locations_.ownFileName)) {
        std::wstring installed = locations_.programFolder + entry->path;
        CopyWholeFile(locations_.TempFolder() + entry->path, installed);
        view_.AppendLog(L"正在更新" + installed + L"文件\r\n\r\n");
    } else {
        // The running launcher is never overwritten: its new copy waits in the temporary folder.
        view_.AppendLog(kLauncherDeferredText);
    }
    entry->result = 0;

    if (FirstPending()) {
        DownloadNextFile();
        return;
    }
    WriteIniString(locations_.GetConfigFilePath(), L"NeedUpdate", L"0");
    view_.AppendLog(kAllDoneText);
    view_.EnableButtons();
}
