// What the download worker hands to the window: log text, through a locked queue with at most
// one wake-up message pending however much is written, and its last message (done or
// failed). The window's thread takes the text and appends it to its log.
// Close shuts it: nothing is posted afterwards, so a worker that outlives its window (a close
// during a download) never posts to a handle that is gone or already reused.
#pragma once
#include <windows.h>

#include <mutex>
#include <string>

class WorkerLog {
public:
    WorkerLog(HWND window, UINT wakeMessage) : window_(window), wakeMessage_(wakeMessage) {}

    // Any thread. Nothing happens once closed.
    void Append(const std::wstring& text);
    // Any thread: posts message with both parameters 0; false when closed or the post failed.
    bool Post(UINT message);
    // The window's thread, on the wake-up message: everything queued so far.
    std::wstring Take();
    // The window's thread: no post from now on.
    void Close();

private:
    const HWND window_;
    const UINT wakeMessage_;
    std::mutex mutex_;
    std::wstring text_;
    bool wakePending_ = false;
    bool closed_ = false;
};
