#include "framework/Wnd.h"

#include <commctrl.h>

namespace {
constexpr UINT_PTR kSubclassId = 0x5A56;  // "ZV"
// The bound object is also kept as a window property, so that FromHandle finds it.
constexpr wchar_t kBoundProperty[] = L"ZvBoundWindow";
}

CWnd::~CWnd() {
    if (subclassed_ && m_hWnd) {
        ::RemoveWindowSubclass(m_hWnd, &CWnd::SubclassProc, kSubclassId);
        ::RemovePropW(m_hWnd, kBoundProperty);
    }
}

bool CWnd::BindWindow(HWND hwnd) {
    if (!hwnd || m_hWnd || FromHandle(hwnd)) return false;
    m_hWnd = hwnd;
    PreSubclassWindow();
    if (!::SetWindowSubclass(hwnd, &CWnd::SubclassProc, kSubclassId,
                             reinterpret_cast<DWORD_PTR>(this))) {
        m_hWnd = nullptr;
        return false;
    }
    ::SetPropW(hwnd, kBoundProperty, this);
    subclassed_ = true;
    return true;
}

CWnd* CWnd::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<CWnd*>(::GetPropW(hwnd, kBoundProperty)) : nullptr;
}

bool CWnd::PreTranslateMessage(MSG*) { return false; }

bool CWnd::OnWndMsg(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
    DWORD style = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
    ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>((style & ~remove) | add));
    if (swpFlags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
}

void CWnd::Invalidate(bool erase) { ::InvalidateRect(m_hWnd, nullptr, erase ? TRUE : FALSE); }

LRESULT CWnd::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefSubclassProc(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR refData) {
    CWnd* self = reinterpret_cast<CWnd*>(refData);
    if (message == WM_NCDESTROY) {
        LRESULT ignored = 0;
        self->OnWndMsg(message, wParam, lParam, ignored);
        ::RemoveWindowSubclass(hwnd, &CWnd::SubclassProc, id);
        ::RemovePropW(hwnd, kBoundProperty);
        self->subclassed_ = false;
        self->m_hWnd = nullptr;
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (self->OnWndMsg(message, wParam, lParam, result)) return result;
    return ::DefSubclassProc(hwnd, message, wParam, lParam);
}
