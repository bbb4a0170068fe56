#include "ui/WorkerLog.h"

// Posting under the lock orders every post against Close. PostMessageW never waits for the
// window's thread, so the lock is held only for a moment.

void WorkerLog::Append(const std::wstring& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return;
    text_ += text;
    if (wakePending_) return;
    wakePending_ = PostMessageW(window_, wakeMessage_, 0, 0) != FALSE;
}

bool WorkerLog::Post(UINT message) {
    std::lock_guard<std::mutex> lock(mutex_);
    return !closed_ && PostMessageW(window_, message, 0, 0);
}

std::wstring WorkerLog::Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    wakePending_ = false;
    std::wstring taken;
    taken.swap(text_);
    return taken;
}

void WorkerLog::Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
}
