// The prompt shown at start when .NET Framework 4.0 is missing: a borderless dark dialog with
// the download address and a hint. "打开连接" opens the address in the browser and leaves the
// prompt open; "忽略" and Escape end it with IDCANCEL (2).
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "controls/ButtonST.h"
#include "framework/Dialog.h"
#include "framework/UniqueHandle.h"

class CSetDotNetDialog : public CDialog {
public:
    CSetDotNetDialog();
    ~CSetDotNetDialog() override;

protected:
    BrushHandle m_brDialog;  // RGB(36,36,36): the dialog and its static texts
    BrushHandle m_brButton;  // RGB(70,70,70): the buttons
    CButtonST m_btnOpenLink;
    CButtonST m_btnIgnore;

public:
    std::wstring m_strOpenUrl;   // the download address, shown and opened
    std::wstring m_strOpenInfo;  // the hint line

    // Hands a web address to the system's handler (ShellExecuteW "open"). Tests replace it.
    std::function<void(const std::wstring& address)> openAddress;

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    // Enter when no button is the default: acts as a click of the focused button. The prompt
    // has no OK button, and ending it with 1 would end the program.
    void OnOK() override;
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind) override;

    // "打开连接": opens m_strOpenUrl when it is a web address; the prompt stays open.
    void OnOpenLink();

private:
    void CentreOnWorkArea();
};
