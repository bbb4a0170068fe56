// The update window: a banner, a read-only log and three buttons on a dark background.
// "检查更新" runs the LAN or the Internet update run, "启动程序" starts the workstation and
// closes the window, "退出" and Escape close it.
#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "app/Locations.h"
#include "controls/ButtonST.h"
#include "framework/Dialog.h"
#include "framework/UniqueHandle.h"
#include "ui/DownloadWorker.h"
#include "ui/InternetUpdateRun.h"
#include "ui/UpdateView.h"
#include "update/UpdateList.h"
#include "update/UpdateSite.h"

class CruVazoroDlg : public CDialog, public UpdateView {
public:
    CruVazoroDlg(Locations locations, UpdateSite site, CWnd* parent = nullptr);
    ~CruVazoroDlg() override;

    // UpdateView: what the update runs do to the window.
    void ClearLog() override;
    void AppendLog(const std::wstring& text) override;
    void EnableButtons() override;
    void DisableButtons() override;
    void StartDownload(const std::wstring& url, const std::wstring& file, UINT message) override;

    int m_bNewVersionNotice = 0;            // write the new-version line when the window opens
    UpdateList* m_pUpdateList = nullptr;    // the application's list; not owned
    DWORD downloadStopTimeoutMs = 2000;     // how long closing waits for a running download

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind) override;
    bool OnPaint() override;
    bool OnSysCommand(UINT id, LPARAM param) override;
    HCURSOR OnQueryDragIcon() override;
    bool OnLButtonDown(UINT flags, POINT point) override;
    void OnNcDestroy() override;

    void OnCheckUpdate();
    void OnLaunch();

private:
    void AppendSystemMenuAbout();
    void SetButtonsEnabled(bool enabled);
    void PaintNow(HWND control) const;

    Locations locations_;
    UpdateSite site_;
    std::unique_ptr<DownloadWorker> worker_;  // made with the window, stopped with it
    std::optional<InternetUpdateRun> internetRun_;  // made with the window, over m_pUpdateList

    BrushHandle m_brDialog;
    BrushHandle m_brButton;
    CButtonST m_btnCheckUpdate;
    CButtonST m_btnLaunch;
    CButtonST m_btnExit;
    HICON m_hIcon;  // shared resource icon, never destroyed
};
