// What the update runs need of the update window: its log, its two run buttons and the
// download worker. The dialog implements it; tests implement it too.
#pragma once
#include <windows.h>

#include <string>

class UpdateView {
public:
    virtual ~UpdateView() = default;

    virtual void ClearLog() = 0;
    virtual void AppendLog(const std::wstring& text) = 0;
    // Controls 1000 ("检查更新") and then 1003 ("启动程序"), each only if the window has it.
    virtual void EnableButtons() = 0;
    virtual void DisableButtons() = 0;
    // Hands one download to the worker; the worker posts message when the file is complete.
    virtual void StartDownload(const std::wstring& url, const std::wstring& file, UINT message) = 0;
};
