// Drives the dialogs of another running program from outside, as a user would: finds its
// windows, reads control texts and states, presses buttons and keys, opens system-menu
// entries. Every call that needs the other program's thread to answer is bounded.
#pragma once
#include <windows.h>

#include <string>

inline constexpr wchar_t kDialogClass[] = L"#32770";
// How long a call that needs an answer from the window's thread waits by default.
inline constexpr DWORD kWindowAnswerMs = 5000;

// The update window: a visible top-level dialog without an owner that has the log control
// (1001), of process processId (0: of any process). Null when there is none.
HWND FindUpdateWindow(DWORD processId);
HWND WaitForUpdateWindow(DWORD processId, DWORD timeoutMs);
// A visible top-level window of the process (0: any) with exactly this caption and owned by
// owner (null: whatever its owner). Null when there is none.
HWND FindWindowWithCaption(DWORD processId, const std::wstring& caption, HWND owner);
HWND WaitForWindowWithCaption(DWORD processId, const std::wstring& caption, HWND owner, DWORD timeoutMs);

class WindowDriver {
public:
    explicit WindowDriver(HWND window = nullptr) : window_(window) {}

    HWND Handle() const { return window_; }
    // The window still exists.
    bool Exists() const { return window_ && IsWindow(window_); }
    bool Visible() const { return Exists() && IsWindowVisible(window_); }
    bool Enabled() const { return Exists() && IsWindowEnabled(window_); }
    HWND Owner() const { return window_ ? GetWindow(window_, GW_OWNER) : nullptr; }
    HWND Control(int id) const { return window_ ? GetDlgItem(window_, id) : nullptr; }
    // The thread that serves the window; 0 when there is no window.
    DWORD ThreadId() const { return window_ ? GetWindowThreadProcessId(window_, nullptr) : 0; }

    // The window's thread serves messages within timeoutMs.
    bool Answers(DWORD timeoutMs = kWindowAnswerMs) const;
    // The text of the window itself or of one of its controls (WM_GETTEXT). Empty when the
    // window's thread does not answer within timeoutMs; answered tells which.
    std::wstring Text(DWORD timeoutMs = kWindowAnswerMs, bool* answered = nullptr) const;
    std::wstring ControlText(int id, DWORD timeoutMs = kWindowAnswerMs, bool* answered = nullptr) const;
    // IsWindowEnabled of a control; false when there is no such control. Needs no answer
    // from the window's thread, so it can be read while that thread is busy.
    bool ControlEnabled(int id) const;

    // Posts BM_CLICK to a button and returns at once, so the caller can watch the run that
    // the click starts.
    bool PostClick(int id) const;
    // Sends BM_CLICK and returns when the click has been handled (false: not within timeoutMs).
    bool Click(int id, DWORD timeoutMs = kWindowAnswerMs) const;
    // Posts WM_SYSCOMMAND: a command such as the About entry opens a modal loop, which a
    // sent message would wait for.
    bool PostSysCommand(WPARAM command) const;
    // Escape as a key press: WM_KEYDOWN and WM_KEYUP of VK_ESCAPE posted to the control that
    // has the focus in the window's thread (the window itself when none has), so that they
    // go through the dialog manager of the modal loop as typed keys do.
    bool PressEscape() const;
    // Moves the mouse pointer over the centre of a control, or far away from the window.
    bool MovePointerOver(int id) const;
    static void MovePointerAway();

    // Screen rectangle of the window, or of one of its controls.
    RECT ScreenRect() const;
    RECT ControlScreenRect(int id) const;

    bool WaitForControlText(int id, const std::wstring& text, DWORD timeoutMs) const;
    // Waits until the log ends with `ending` (and is at least as long).
    bool WaitForControlTextEnding(int id, const std::wstring& ending, DWORD timeoutMs) const;
    bool WaitForControlEnabled(int id, bool enabled, DWORD timeoutMs, DWORD pollMs = 1) const;
    bool WaitUntilGone(DWORD timeoutMs) const;

private:
    HWND window_;
};
