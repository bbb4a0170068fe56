// Holds another program's thread still for one scope (SuspendThread, then ResumeThread), so
// that a test can look at a state that the thread would otherwise leave at once.
#pragma once
#include <windows.h>

#include "framework/UniqueHandle.h"

class FrozenThread {
public:
    explicit FrozenThread(DWORD threadId)
        : thread_(OpenThread(THREAD_SUSPEND_RESUME | SYNCHRONIZE, FALSE, threadId)),
          frozen_(thread_ && SuspendThread(thread_.get()) != static_cast<DWORD>(-1)) {}
    ~FrozenThread() {
        if (frozen_) ResumeThread(thread_.get());
    }
    FrozenThread(const FrozenThread&) = delete;
    FrozenThread& operator=(const FrozenThread&) = delete;

    bool Frozen() const { return frozen_; }

private:
    KernelHandle thread_;
    bool frozen_;
};
