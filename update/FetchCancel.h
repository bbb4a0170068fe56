// Lets another thread stop a running fetch. The fetch keeps its Internet handles here, and
// Cancel closes them: on Windows the WinINet call blocked on them returns at once; where it
// does not (Wine), the fetch sees the stop as soon as its current wait for bytes ends, which
// is when the next bytes arrive or the receive time-out passes.
// One token serves one fetch at a time; it may be reused for the next one.
#pragma once
#include <mutex>
#include <vector>

#include "framework/UniqueHandle.h"

class FetchCancel {
public:
    // Any thread: stops the fetch that uses this token now, and every later one.
    void Cancel();
    bool IsCancelled() const;

    // For the fetch. Takes the handle over and returns it for use, or returns null (and
    // closes it) when the fetch was already cancelled or interrupted.
    HINTERNET Keep(InternetHandle handle);
    // Closes the kept handles, newest first, without marking the token cancelled (a deadline).
    void Interrupt();
    bool IsInterrupted() const;
    // The fetch's end: closes what is left and readies the token for another fetch.
    void Release();

private:
    void CloseKeptHandles();  // mutex held

    mutable std::mutex mutex_;
    bool cancelled_ = false;
    bool interrupted_ = false;
    std::vector<InternetHandle> handles_;  // oldest (the session) first
};
