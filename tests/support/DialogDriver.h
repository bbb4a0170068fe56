// Runs a modal dialog on the test's thread while a script on a second thread drives it:
// the script runs code on the dialog's thread, waits for conditions and sends real input.
#pragma once
#include <windows.h>

#include <functional>

#include "framework/Dialog.h"

class DialogDriver {
public:
    explicit DialogDriver(HWND sink) : sink_(sink) {}

    // Runs fn on the dialog's thread and waits for it to finish.
    void OnUi(const std::function<void()>& fn);
    // Polls cond on the dialog's thread until it holds; false after timeoutMs.
    bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs = 5000);
    // Lets the dialog's thread work off what is queued (input, paints).
    void Settle(DWORD ms = 150);

private:
    HWND sink_;
};

// The value DoModal returns when the script left the dialog open and the driver closed it.
constexpr INT_PTR kClosedByDriver = 0x7A56;

// Shows `dialog` modally, runs `script` once the dialog is visible, closes the dialog with
// kClosedByDriver if the script leaves it open, and returns DoModal's result.
INT_PTR RunModalScript(CDialog& dialog, const std::function<void(DialogDriver&)>& script);

// Moves the pointer to a point of a window's client area (of the screen when window is null),
// as a user would.
void MovePointerTo(HWND window, POINT client);
// Presses and releases the left mouse button `count` times quickly where the pointer is.
void ClickLeft(int count);
