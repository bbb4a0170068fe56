#include "ui/WorkerLog.h"

void WorkerLog::Append(const std::wstring& text) {
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        text_ += text;
        wake = !wakePending_;
        wakePending_ = true;
    }
    if (wake) PostMessageW(window_, wakeMessage_, 0, 0);
}

std::wstring WorkerLog::Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    wakePending_ = false;
    std::wstring taken;
    taken.swap(text_);
    return taken;
}
