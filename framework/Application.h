// The one application object of a program. wWinMain hands control to its InitInstance,
// which holds the program's whole life; when it returns, the process ends.
#pragma once
#include <windows.h>

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The program's life. The result is the process exit code's truth value only.
    virtual BOOL InitInstance() = 0;

    static CWinApp* Current();
    HINSTANCE Instance() const { return instance_; }
    void SetInstance(HINSTANCE instance) { instance_ = instance; }

    // The window that stands for the application while its modal loop runs.
    HWND m_hMainWnd = nullptr;

private:
    HINSTANCE instance_ = nullptr;
};

// Entry used by wWinMain: binds the instance and runs InitInstance of the one application object.
int RunApplication(HINSTANCE instance);
