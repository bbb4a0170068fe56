#include "ui/ruVazoroDlg.h"

#include "app/Launcher.h"
#include "controls/DarkColours.h"
#include "framework/Application.h"
#include "res/resource.h"
#include "ui/AboutDlg.h"
#include "ui/LanUpdateRun.h"

namespace {

HINSTANCE ProgramInstance() {
    CWinApp* app = CWinApp::Current();
    return app && app->Instance() ? app->Instance() : GetModuleHandleW(nullptr);
}

std::wstring LoadResourceString(UINT id) {
    const wchar_t* text = nullptr;
    int length = LoadStringW(ProgramInstance(), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

std::wstring WindowText(HWND hwnd) {
    int length = GetWindowTextLengthW(hwnd);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    return text;
}

}  // namespace

CruVazoroDlg::CruVazoroDlg(Locations locations, UpdateSite site, CWnd* parent)
    : CDialog(IDD_RUVAZORO_DIALOG, parent),
      locations_(std::move(locations)),
      site_(std::move(site)),
      m_hIcon(LoadIconW(ProgramInstance(), MAKEINTRESOURCEW(IDI_MAINFRAME))) {}

CruVazoroDlg::~CruVazoroDlg() = default;

void CruVazoroDlg::DoDataExchange() {
    DDX_Control(IDC_CHECK_UPDATE, m_btnCheckUpdate);
    DDX_Control(IDC_LAUNCH, m_btnLaunch);
    DDX_Control(IDCANCEL, m_btnExit);
}

BOOL CruVazoroDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    AppendSystemMenuAbout();
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    worker_ = std::make_unique<DownloadWorker>(m_hWnd, site_.host);
    internetRun_.emplace(m_pUpdateList, locations_, site_, *this);
    m_brDialog.reset(CreateSolidBrush(kDialogBackground));
    m_brButton.reset(CreateSolidBrush(kButtonBackground));
    if (m_bNewVersionNotice) AppendLog(L"发现新版本，请更新！");
    return TRUE;  // the dialog manager focuses the first tab stop, "退出"
}

void CruVazoroDlg::AppendSystemMenuAbout() {
    HMENU menu = GetSystemMenu(m_hWnd, FALSE);
    if (!menu) return;
    std::wstring about = LoadResourceString(IDS_ABOUTBOX);
    if (about.empty()) return;
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, about.c_str());
}

bool CruVazoroDlg::OnWndMsg(UINT message, WPARAM, LPARAM, LRESULT&) {
    switch (message) {
    case kWorkerLogMessage:
        if (worker_) AppendLog(worker_->TakeLog());
        return true;
    case kDownloadFailedMessage:
        // The run stops here; the worker has said why in the log.
        if (worker_) worker_->OnWorkerFinished();
        return true;
    case WM_VERSIONFILE_DOWNLOADED:
    case WM_UPDATEFILE_DOWNLOADED:
        // The worker is idle before the next step asks for the next download.
        if (worker_) worker_->OnWorkerFinished();
        if (internetRun_) internetRun_->OnWndMsg(message);
        return false;
    default:
        return false;
    }
}

bool CruVazoroDlg::OnCommand(UINT id, UINT code, HWND control) {
    if (code == BN_CLICKED && id == IDC_CHECK_UPDATE) {
        OnCheckUpdate();
        return true;
    }
    if (code == BN_CLICKED && id == IDC_LAUNCH) {
        OnLaunch();
        return true;
    }
    return CDialog::OnCommand(id, code, control);
}

void CruVazoroDlg::OnCheckUpdate() {
    if (!locations_.lanConfigPath.empty())
        CheckUpdateLan(m_pUpdateList, locations_, *this);
    else
        if (internetRun_) internetRun_->CheckUpdateInternet();
}

void CruVazoroDlg::OnLaunch() {
    if (!m_pUpdateList) return;
    LaunchWorkstation(locations_);
    SendMessageW(m_hWnd, WM_CLOSE, 0, 0);
}

HBRUSH CruVazoroDlg::OnCtlColor(HDC dc, HWND control, UINT kind) {
    HBRUSH base = CDialog::OnCtlColor(dc, control, kind);
    return ColourDarkControl(dc, kind, m_brDialog.get(), m_brButton.get(), base);
}

bool CruVazoroDlg::OnPaint() {
    if (!IsIconic(m_hWnd)) return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    int iconWidth = GetSystemMetrics(SM_CXICON);
    int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(m_hWnd, &client);
    int x = (client.right - client.left - iconWidth + 1) / 2;
    int y = (client.bottom - client.top - iconHeight + 1) / 2;
    DrawIcon(dc, x, y, m_hIcon);
    EndPaint(m_hWnd, &paint);
    return true;
}

bool CruVazoroDlg::OnSysCommand(UINT id, LPARAM) {
    if ((id & 0xFFF0) != IDM_ABOUTBOX) return false;
    CAboutDlg about(this);
    about.DoModal();
    return true;
}

HCURSOR CruVazoroDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

bool CruVazoroDlg::OnLButtonDown(UINT, POINT point) {
    // A press on the client area acts as a press on a caption: the window follows the mouse.
    PostMessageW(m_hWnd, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
    return false;
}

void CruVazoroDlg::OnNcDestroy() {
    // A running download is cancelled; nothing it brings is installed after the window goes.
    if (worker_) worker_->Stop(downloadStopTimeoutMs);
    m_brDialog.reset();
    m_brButton.reset();
}

void CruVazoroDlg::ClearLog() { SetDlgItemTextW(m_hWnd, IDC_LOG, L""); }

void CruVazoroDlg::AppendLog(const std::wstring& text) {
    HWND log = GetDlgItem(IDC_LOG);
    if (!log) return;
    SetWindowTextW(log, (WindowText(log) + text).c_str());
    PaintNow(log);
}

void CruVazoroDlg::PaintNow(HWND control) const {
    // The LAN run changes the log and the buttons while it holds the window's thread; painting
    // at once shows its progress while it copies instead of after it. Before the window is
    // shown, the first paint of the whole window does that.
    if (IsWindowVisible(m_hWnd)) UpdateWindow(control);
}

void CruVazoroDlg::SetButtonsEnabled(bool enabled) {
    for (int id : {IDC_CHECK_UPDATE, IDC_LAUNCH}) {
        if (HWND button = GetDlgItem(id)) {
            EnableWindow(button, enabled);
            PaintNow(button);
        }
    }
}

void CruVazoroDlg::EnableButtons() { SetButtonsEnabled(true); }

void CruVazoroDlg::DisableButtons() { SetButtonsEnabled(false); }

void CruVazoroDlg::StartDownload(const std::wstring& url, const std::wstring& file, UINT message) {
    if (worker_) worker_->StartDownload(url, file, message);
}
