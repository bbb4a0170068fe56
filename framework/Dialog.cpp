#include "framework/Dialog.h"

#include <windowsx.h>

#include "framework/Application.h"
#include "framework/ModalMessageFilter.h"

namespace {

// Messages whose answer is the dialog procedure's return value itself; every other answer
// goes through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
    return message == WM_INITDIALOG || message == WM_QUERYDRAGICON ||
           (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) ||
           message == WM_COMPAREITEM || message == WM_VKEYTOITEM || message == WM_CHARTOITEM;
}

// Offers a child's notification to the object bound to it, as a reflected message.
bool ReflectToControl(HWND control, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    CWnd* bound = CWnd::FromHandle(control);
    return bound && bound->OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, result);
}

BOOL CALLBACK ForwardToChild(HWND child, LPARAM message) {
    ::SendMessageW(child, static_cast<UINT>(message), 0, 0);
    return TRUE;
}

HINSTANCE ResourceInstance() {
    CWinApp* app = CWinApp::Current();
    if (app && app->Instance()) return app->Instance();
    return ::GetModuleHandleW(nullptr);
}

}  // namespace

CDialog::CDialog(UINT templateId, CWnd* parent) : templateId_(templateId), parent_(parent) {}

CDialog::~CDialog() = default;

HWND CDialog::ResolveOwner() const {
    if (parent_) return parent_->m_hWnd;
    if (CWinApp* app = CWinApp::Current(); app && app->m_hMainWnd && ::IsWindow(app->m_hMainWnd))
        return app->m_hMainWnd;
    return ::GetActiveWindow();
}

INT_PTR CDialog::DoModal() {
    if (m_hWnd) return -1;
    HWND owner = ResolveOwner();
    ModalMessageFilter filter(*this);
    return ::DialogBoxParamW(ResourceInstance(), MAKEINTRESOURCEW(templateId_), owner,
                             &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(INT_PTR result) {
    if (m_hWnd) ::EndDialog(m_hWnd, result);
}

HWND CDialog::GetDlgItem(int id) const { return m_hWnd ? ::GetDlgItem(m_hWnd, id) : nullptr; }

bool CDialog::DDX_Control(int id, CWnd& control) { return control.BindWindow(GetDlgItem(id)); }

BOOL CDialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

bool CDialog::OnCommand(UINT id, UINT code, HWND) {
    if (code != BN_CLICKED) return false;
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

HBRUSH CDialog::OnCtlColor(HDC dc, HWND control, UINT kind) {
    LRESULT result = 0;
    if (control != m_hWnd &&
        ReflectToControl(control, WM_CTLCOLORMSGBOX + kind, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(control), result))
        return reinterpret_cast<HBRUSH>(result);
    return nullptr;
}

bool CDialog::OnPaint() { return false; }

bool CDialog::OnSysCommand(UINT, LPARAM) { return false; }

HCURSOR CDialog::OnQueryDragIcon() { return nullptr; }

bool CDialog::OnLButtonDown(UINT, POINT) { return false; }

bool CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (OnWndMsg(message, wParam, lParam, result)) return true;
    switch (message) {
        case WM_INITDIALOG:
            result = OnInitDialog();
            return true;
        case WM_COMMAND: {
            HWND control = reinterpret_cast<HWND>(lParam);
            if (control && ReflectToControl(control, message, wParam, lParam, result)) return true;
            return OnCommand(LOWORD(wParam), HIWORD(wParam), control);
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            return item && item->CtlType != ODT_MENU &&
                   ReflectToControl(item->hwndItem, message, wParam, lParam, result);
        }
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            result = reinterpret_cast<LRESULT>(OnCtlColor(reinterpret_cast<HDC>(wParam),
                                                          reinterpret_cast<HWND>(lParam),
                                                          message - WM_CTLCOLORMSGBOX));
            return true;
        case WM_PAINT:
            return OnPaint();
        case WM_SYSCOMMAND:
            return OnSysCommand(static_cast<UINT>(wParam), lParam);
        case WM_QUERYDRAGICON:
            result = reinterpret_cast<LRESULT>(OnQueryDragIcon());
            return true;
        case WM_LBUTTONDOWN:
            return OnLButtonDown(static_cast<UINT>(wParam),
                                 POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        case WM_SYSCOLORCHANGE:
            // Only top-level windows hear of it; the controls draw with system colours too.
            ::EnumChildWindows(m_hWnd, &ForwardToChild, WM_SYSCOLORCHANGE);
            return false;
        case WM_NCDESTROY:
            OnNcDestroy();
            return false;
        default:
            return false;
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        if (!self) return FALSE;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->m_hWnd = hwnd;
    } else {
        self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self) return FALSE;  // messages before WM_INITDIALOG, or after WM_NCDESTROY

    LRESULT result = 0;
    bool handled = self->Dispatch(message, wParam, lParam, result);
    if (message == WM_NCDESTROY) {
        // The dialog manager still has to free its own data: never claim this message.
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        return FALSE;
    }
    if (!handled) return FALSE;
    if (ReturnsDirectly(message)) return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}
