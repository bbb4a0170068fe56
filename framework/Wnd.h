// Base of every window object of the framework: the handle, the binding of an existing
// control (subclassing), and the message hooks that derived classes override.
#pragma once
#include <windows.h>

// A dialog hands the WM_COMMAND, WM_DRAWITEM and WM_CTLCOLOR* notifications of a bound
// control back to that control as WM_REFLECT_BASE + the original message number.
constexpr UINT WM_REFLECT_BASE = WM_USER + 0x1C00;

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The window this object stands for; null while there is none.
    HWND m_hWnd = nullptr;

    // Attaches this object to an existing window: runs PreSubclassWindow, then routes the
    // window's messages through OnWndMsg until WM_NCDESTROY, when the binding goes.
    bool BindWindow(HWND hwnd);
    // The object bound to a window by BindWindow, or null.
    static CWnd* FromHandle(HWND hwnd);

    // Offered, inside a modal loop, every message aimed at this window before it is
    // dispatched. It may change the message; true consumes it.
    virtual bool PreTranslateMessage(MSG* msg);

    // First look at every message of this window, including reflected notifications.
    // True: handled, with `result` as the answer; false leaves the default handling in place.
    virtual bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Clears `remove` and sets `add` in the window style; with swpFlags (SWP_FRAMECHANGED)
    // the frame is recomputed.
    void ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    // Asks for a repaint of the whole client area.
    void Invalidate(bool erase = true);

protected:
    // Runs when BindWindow attaches the object, before any message is routed.
    virtual void PreSubclassWindow() {}
    // The window's own (original) handling of a message. Only for a bound control, and only
    // while one of its messages is being handled.
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR refData);
    bool subclassed_ = false;
};
