// Drives another program from a test: starts it, waits for it to end or for its window,
// and kills it when the test is done with it.
#pragma once
#include <windows.h>

#include <string>

#include "framework/UniqueHandle.h"

struct ProgramEnding {
    bool ended = false;   // false: still running when the time-out passed
    DWORD exitCode = 0;   // valid when ended
};

class ProgramDriver {
public:
    // Starts program (full path) with the command line "\"program\" arguments", shown normally.
    // currentFolder empty: the program's own folder. Started() tells whether the start worked.
    explicit ProgramDriver(const std::wstring& program, const std::wstring& currentFolder = {},
                           const std::wstring& arguments = {});
    // Kills the program if it still runs.
    ~ProgramDriver();
    ProgramDriver(const ProgramDriver&) = delete;
    ProgramDriver& operator=(const ProgramDriver&) = delete;

    bool Started() const { return static_cast<bool>(process_); }
    DWORD ProcessId() const { return processId_; }

    // Waits up to timeoutMs for the program to end.
    ProgramEnding WaitForEnd(DWORD timeoutMs) const;
    // Ends the program at once (if it still runs) and waits for it to be gone.
    void Kill();

    // A visible top-level window of the program (of class className, when given), or null.
    HWND FindTopLevelWindow(const wchar_t* className = nullptr) const;
    // Waits up to timeoutMs for such a window to appear.
    HWND WaitForTopLevelWindow(DWORD timeoutMs, const wchar_t* className = nullptr) const;

private:
    KernelHandle process_;
    DWORD processId_ = 0;
};
