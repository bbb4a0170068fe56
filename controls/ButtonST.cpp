#include "controls/ButtonST.h"

#include <windowsx.h>

#include "framework/SelectedObject.h"
#include "framework/UniqueHandle.h"

namespace {

constexpr COLORREF kFaceTop = RGB(61, 61, 61);
constexpr COLORREF kFaceBottom = RGB(38, 38, 38);
constexpr COLORREF kFrameTop = RGB(94, 93, 94);
constexpr COLORREF kFrameSides = RGB(59, 59, 59);
constexpr COLORREF kFrameBottom = RGB(41, 41, 41);
constexpr COLORREF kTextDisabled = RGB(100, 100, 100);
constexpr COLORREF kTextTeal = RGB(39, 149, 149);
constexpr COLORREF kTextCyan = RGB(38, 236, 235);

constexpr DWORD kButtonTypeMask = 0x1F;

TRIVERTEX Vertex(LONG x, LONG y, COLORREF colour) {
    TRIVERTEX v{};
    v.x = x;
    v.y = y;
    v.Red = static_cast<COLOR16>(GetRValue(colour) << 8);
    v.Green = static_cast<COLOR16>(GetGValue(colour) << 8);
    v.Blue = static_cast<COLOR16>(GetBValue(colour) << 8);
    return v;
}

// Draws from `from` up to, not including, `to` with a 1-pixel solid pen.
void DrawLine(HDC dc, HPEN pen, POINT from, POINT to) {
    SelectedObject selected(dc, pen);
    ::MoveToEx(dc, from.x, from.y, nullptr);
    ::LineTo(dc, to.x, to.y);
}

std::wstring WindowText(HWND hwnd) {
    int length = ::GetWindowTextLengthW(hwnd);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(hwnd, text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

}  // namespace

CButtonST::CButtonST()
    : m_crTextHotDown(kTextCyan), m_crTextNormal(kTextTeal), m_crTextFocus(kTextTeal), m_crTextHot(kTextCyan) {}

CButtonST::~CButtonST() = default;

void CButtonST::PreSubclassWindow() {
    DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
    if ((style & kButtonTypeMask) == BS_DEFPUSHBUTTON) m_bDefaultButton = true;
    ModifyStyle(kButtonTypeMask, BS_OWNERDRAW, SWP_FRAMECHANGED);
}

bool CButtonST::PreTranslateMessage(MSG* msg) {
    // An owner-drawn button reports a double-click as BN_DOUBLECLICKED instead of pressing;
    // as a second press, a double-click counts as two clicks.
    if (msg->hwnd == m_hWnd && msg->message == WM_LBUTTONDBLCLK) msg->message = WM_LBUTTONDOWN;
    return CButton::PreTranslateMessage(msg);
}

bool CButtonST::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_REFLECT_BASE + WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) ::SetFocus(m_hWnd);
            return false;  // the dialog still gets the click
        case WM_REFLECT_BASE + WM_DRAWITEM:
            DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            result = TRUE;
            return true;
        case WM_REFLECT_BASE + WM_CTLCOLORMSGBOX:
        case WM_REFLECT_BASE + WM_CTLCOLOREDIT:
        case WM_REFLECT_BASE + WM_CTLCOLORLISTBOX:
        case WM_REFLECT_BASE + WM_CTLCOLORBTN:
        case WM_REFLECT_BASE + WM_CTLCOLORDLG:
        case WM_REFLECT_BASE + WM_CTLCOLORSCROLLBAR:
        case WM_REFLECT_BASE + WM_CTLCOLORSTATIC:
            result = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
            return true;
        case WM_MOUSEMOVE:
            result = DefaultProc(message, wParam, lParam);
            OnMouseMove(wParam, lParam);
            return true;
        case WM_MOUSELEAVE:
            LeaveHot();
            result = 0;
            return true;
        case WM_KILLFOCUS:
        case WM_CANCELMODE:
            result = DefaultProc(message, wParam, lParam);
            LeaveHot();
            return true;
        case WM_ACTIVATE:
            result = DefaultProc(message, wParam, lParam);
            if (LOWORD(wParam) == WA_INACTIVE) LeaveHot();
            return true;
        case WM_ENABLE:
            result = DefaultProc(message, wParam, lParam);
            if (!wParam) OnDisabled();
            return true;
        case WM_GETDLGCODE:
            result = DefaultProc(message, wParam, lParam) |
                     (m_bDefaultButton ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
            return true;
        case BM_SETSTYLE: {
            DWORD type = static_cast<DWORD>(wParam) & kButtonTypeMask;
            if (type == BS_DEFPUSHBUTTON) m_bDefaultButton = true;
            else if (type == BS_PUSHBUTTON) m_bDefaultButton = false;
            // Keep the owner-draw type whatever the dialog manager asks for.
            result = DefaultProc(message, (wParam & ~static_cast<WPARAM>(0x14)) | BS_OWNERDRAW, lParam);
            return true;
        }
        case WM_SYSCOLORCHANGE:
            result = DefaultProc(message, wParam, lParam);
            m_crTextNormal = m_crTextHotDown = m_crTextFocus = ::GetSysColor(COLOR_BTNTEXT);
            Invalidate();
            return true;
        default:
            return false;
    }
}

void CButtonST::OnMouseMove(WPARAM keys, LPARAM lParam) {
    // Dragging onto the button with the mouse button held does not make it hot.
    if ((keys & MK_LBUTTON) && !m_bHot) return;
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ClientToScreen(m_hWnd, &point);
    if (::WindowFromPoint(point) != m_hWnd) {
        LeaveHot();
        return;
    }
    if (m_bHot) return;
    m_bHot = true;
    Invalidate();
    TRACKMOUSEEVENT track{};
    track.cbSize = sizeof(track);
    track.dwFlags = TME_LEAVE;
    track.hwndTrack = m_hWnd;
    ::TrackMouseEvent(&track);
}

void CButtonST::OnDisabled() {
    // Hand the focus on. GetNextDlgTabItem answers with the button itself when no other
    // tab stop is enabled; a disabled window cannot hold the focus, so the dialog takes it.
    HWND parent = ::GetParent(m_hWnd);
    HWND next = parent ? ::GetNextDlgTabItem(parent, m_hWnd, FALSE) : nullptr;
    if (!next || next == m_hWnd) next = parent;
    if (next) ::SetFocus(next);
    LeaveHot();
}

void CButtonST::LeaveHot() {
    if (!m_bHot) return;
    m_bHot = false;
    Invalidate();
}

void CButtonST::DrawItem(const DRAWITEMSTRUCT& item) {
    m_bDown = (item.itemState & ODS_SELECTED) != 0;
    m_bHasFocus = (item.itemState & ODS_FOCUS) != 0;
    m_bGrayed = (item.itemState & ODS_DISABLED) != 0;

    HDC dc = item.hDC;
    ::SetBkMode(dc, TRANSPARENT);
    DrawButtonFace(dc, item.rcItem);
    DrawButtonFrame(dc, item.rcItem);

    std::wstring text = WindowText(m_hWnd);
    RECT captionRect = item.rcItem;
    if (!text.empty()) DrawButtonText(dc, text, captionRect);
}

void CButtonST::DrawButtonFace(HDC dc, const RECT& rect) {
    TRIVERTEX vertices[2] = {Vertex(rect.left, rect.top, kFaceTop),
                             Vertex(rect.right, rect.bottom, kFaceBottom)};
    GRADIENT_RECT span{0, 1};
    ::GradientFill(dc, vertices, 2, &span, 1, GRADIENT_FILL_RECT_V);
}

void CButtonST::DrawButtonFrame(HDC dc, const RECT& rect) {
    PenHandle top(::CreatePen(PS_SOLID, 1, kFrameTop));
    PenHandle sides(::CreatePen(PS_SOLID, 1, kFrameSides));
    PenHandle bottom(::CreatePen(PS_SOLID, 1, kFrameBottom));
    const LONG l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
    DrawLine(dc, top.get(), {l, t}, {r, t});
    DrawLine(dc, sides.get(), {l, t + 1}, {l, b - 1});
    DrawLine(dc, sides.get(), {r - 1, b - 1}, {r - 1, t});
    DrawLine(dc, bottom.get(), {l + 1, b - 1}, {r - 1, b - 1});
}

void CButtonST::DrawIconImage(HDC, const RECT&) {}

void CButtonST::DrawBitmapImage(HDC, const RECT&) {}

void CButtonST::DrawButtonText(HDC dc, const std::wstring& text, RECT rect) {
    if (m_bDown) ::OffsetRect(&rect, 1, 1);
    const RECT target = rect;

    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    SelectedObject selectedFont(dc, font);

    const int length = static_cast<int>(text.size());
    ::DrawTextW(dc, text.c_str(), length, &rect, DT_WORDBREAK | DT_CENTER | DT_CALCRECT);
    ::OffsetRect(&rect, ((target.right - target.left) - (rect.right - rect.left)) / 2,
                 ((target.bottom - target.top) - (rect.bottom - rect.top)) / 2);

    ::SetBkMode(dc, TRANSPARENT);
    COLORREF colour = m_crTextNormal;
    if (m_bGrayed) colour = kTextDisabled;
    else if (m_bHot && m_bDown) colour = m_crTextHotDown;
    else if (m_bHot) colour = m_crTextHot;
    else if (m_bHasFocus) colour = m_crTextFocus;
    ::SetTextColor(dc, colour);
    ::DrawTextW(dc, text.c_str(), length, &rect, DT_WORDBREAK | DT_CENTER);
}
