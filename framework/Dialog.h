// A dialog built from a resource template and run modally.
//
// The dialog procedure finds the object through DWLP_USER and hands every message first to
// OnWndMsg, then to the handlers below. A handler that returns false (or a null handle)
// leaves the dialog manager's default handling in place; the base versions do nothing but
// that, except where noted. Controls are bound in DoDataExchange with DDX_Control; a bound
// control gets its own WM_COMMAND, WM_DRAWITEM and WM_CTLCOLOR* notifications first, as
// reflected messages (WM_REFLECT_BASE + n), and the dialog's handling runs only when the
// control does not answer.
#pragma once
#include "framework/Wnd.h"

class CDialog : public CWnd {
public:
    // parent: the owner while the dialog runs; null means the application's main window,
    // else the thread's active window (none when there is neither).
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Creates the dialog from its template and runs it until EndDialog. Returns the value
    // given to EndDialog, or -1 when the dialog cannot be created.
    virtual INT_PTR DoModal();
    void EndDialog(INT_PTR result);
    HWND GetDlgItem(int id) const;
    UINT TemplateId() const { return templateId_; }

protected:
    // Binds the dialog's controls (DDX_Control). Runs inside the base OnInitDialog.
    virtual void DoDataExchange() {}
    // Attaches `control` to the dialog's control `id` (subclassing it).
    bool DDX_Control(int id, CWnd& control);

    // Base: DoDataExchange, then TRUE (the dialog manager puts the focus on the first tab stop).
    virtual BOOL OnInitDialog();
    // Base: BN_CLICKED of IDOK runs OnOK, of IDCANCEL runs OnCancel; anything else is not handled.
    virtual bool OnCommand(UINT id, UINT code, HWND control);
    virtual void OnOK();      // ends the dialog with IDOK (1)
    virtual void OnCancel();  // ends the dialog with IDCANCEL (2): Exit button, Escape, WM_CLOSE
    // kind is CTLCOLOR_EDIT, CTLCOLOR_BTN, CTLCOLOR_DLG, CTLCOLOR_STATIC ... Base: the bound
    // control's answer to the reflected colour message, else null (default colours).
    virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind);
    virtual bool OnPaint();
    virtual bool OnSysCommand(UINT id, LPARAM param);
    virtual HCURSOR OnQueryDragIcon();
    virtual bool OnLButtonDown(UINT flags, POINT point);
    // The window is going; controls are already unbound. m_hWnd is cleared after it.
    virtual void OnNcDestroy() {}

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    HWND ResolveOwner() const;

    UINT templateId_;
    CWnd* parent_;
};
