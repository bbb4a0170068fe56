#include "controls/SetDotNetDialog.h"

#include <shellapi.h>

#include "controls/DarkColours.h"
#include "controls/WebAddress.h"
#include "res/resource.h"

namespace {

void OpenWithShell(const std::wstring& address) {
    ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

CSetDotNetDialog::CSetDotNetDialog() : CDialog(IDD_SETDOTNET_DIALOG), openAddress(&OpenWithShell) {}

CSetDotNetDialog::~CSetDotNetDialog() = default;

void CSetDotNetDialog::DoDataExchange() {
    DDX_Control(IDC_OPEN_LINK, m_btnOpenLink);
    DDX_Control(IDCANCEL, m_btnIgnore);
}

BOOL CSetDotNetDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    m_brDialog.reset(CreateSolidBrush(kDialogBackground));
    m_brButton.reset(CreateSolidBrush(kButtonBackground));
    SetDlgItemTextW(m_hWnd, IDC_OPEN_URL, m_strOpenUrl.c_str());
    SetDlgItemTextW(m_hWnd, IDC_OPEN_INFO, m_strOpenInfo.c_str());
    CentreOnWorkArea();
    return TRUE;  // the dialog manager focuses the first tab stop, "打开连接"
}

// The prompt has no owner and comes before any other window: it is shown in the middle of
// the screen rather than at the template's corner.
void CSetDotNetDialog::CentreOnWorkArea() {
    RECT window{};
    GetWindowRect(m_hWnd, &window);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
    const RECT& area = monitor.rcWork;
    const int x = area.left + ((area.right - area.left) - (window.right - window.left)) / 2;
    const int y = area.top + ((area.bottom - area.top) - (window.bottom - window.top)) / 2;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CSetDotNetDialog::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_OPEN_LINK && code == BN_CLICKED) {
        OnOpenLink();
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

void CSetDotNetDialog::OnOK() {
    HWND focus = GetFocus();
    if (focus && focus == GetDlgItem(IDC_OPEN_LINK))
        OnOpenLink();
    else if (focus && focus == GetDlgItem(IDCANCEL))
        OnCancel();
}

void CSetDotNetDialog::OnOpenLink() {
    if (openAddress && IsWebAddress(m_strOpenUrl)) openAddress(m_strOpenUrl);
}

HBRUSH CSetDotNetDialog::OnCtlColor(HDC dc, HWND control, UINT kind) {
    HBRUSH base = CDialog::OnCtlColor(dc, control, kind);
    // The background mode stays opaque: static texts sit on cells of the dialog's colour.
    return ColourDarkControl(dc, kind, m_brDialog.get(), m_brButton.get(), base);
}
