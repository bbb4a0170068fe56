// "检查更新" without a LAN path: fetch the version file again, then back up, download and
// install every marked file, one after another. Each step runs on the window's thread when
// the worker's completion message for the previous download arrives.
#pragma once
#include <windows.h>

#include <utility>

#include "app/Locations.h"
#include "ui/UpdateView.h"
#include "update/UpdateList.h"
#include "update/UpdateSite.h"

inline constexpr UINT WM_VERSIONFILE_DOWNLOADED = WM_USER + 100;
inline constexpr UINT WM_UPDATEFILE_DOWNLOADED = WM_USER + 116;

class InternetUpdateRun {
public:
    InternetUpdateRun(UpdateList* list, Locations locations, UpdateSite site, UpdateView& view)
        : list_(list), locations_(std::move(locations)), site_(std::move(site)), view_(view) {}

    void CheckUpdateInternet();
    // Handles the worker's two completion messages; false for any other message.
    bool OnWndMsg(UINT message);

    void StartFileUpdates();
    void DownloadNextFile();
    void InstallDownloadedFile();

private:
    UpdateEntry* FirstPending() const { return list_ ? list_->FindPending() : nullptr; }

    UpdateList* list_;
    Locations locations_;
    UpdateSite site_;
    UpdateView& view_;
};
