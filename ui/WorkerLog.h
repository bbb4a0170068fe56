// Log text that the download worker hands to the window. The worker only queues text and
// posts a wake-up message; the window's thread takes the text and appends it to its log.
// At most one wake-up is pending at a time, however much the worker writes.
#pragma once
#include <windows.h>

#include <mutex>
#include <string>

class WorkerLog {
public:
    WorkerLog(HWND window, UINT wakeMessage) : window_(window), wakeMessage_(wakeMessage) {}

    // Any thread.
    void Append(const std::wstring& text);
    // The window's thread, on the wake-up message: everything queued so far.
    std::wstring Take();

private:
    const HWND window_;
    const UINT wakeMessage_;
    std::mutex mutex_;
    std::wstring text_;
    bool wakePending_ = false;
};
