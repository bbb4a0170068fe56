#include "DialogDriver.h"

#include <gtest/gtest.h>

#include "framework/UniqueHandle.h"

namespace {

constexpr UINT kRunOnUi = WM_APP + 0x3A;

LRESULT CALLBACK SinkProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunOnUi) {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 1;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND CreateSink() {
    static ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &SinkProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ZvDialogDriverSink";
        return RegisterClassW(&wc);
    }();
    (void)atom;
    return CreateWindowExW(0, L"ZvDialogDriverSink", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

struct ScriptRun {
    CDialog* dialog;
    const std::function<void(DialogDriver&)>* script;
    HWND sink;
};

DWORD WINAPI ScriptThread(void* param) {
    auto* run = static_cast<ScriptRun*>(param);
    DialogDriver driver(run->sink);
    bool shown = driver.WaitUntil([&] { return run->dialog->m_hWnd && IsWindowVisible(run->dialog->m_hWnd); });
    EXPECT_TRUE(shown) << "the dialog did not appear";
    if (shown) {
        driver.Settle();
        (*run->script)(driver);
    }
    driver.OnUi([&] { run->dialog->EndDialog(kClosedByDriver); });
    return 0;
}

// Serves sent and posted messages until the thread ends.
void PumpUntil(HANDLE thread) {
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

}  // namespace

void DialogDriver::OnUi(const std::function<void()>& fn) {
    DWORD_PTR answer = 0;
    LRESULT sent = SendMessageTimeoutW(sink_, kRunOnUi, 0, reinterpret_cast<LPARAM>(&fn), SMTO_NORMAL,
                                       30000, &answer);
    ASSERT_NE(sent, 0) << "the dialog's thread did not answer";
}

bool DialogDriver::WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        bool holds = false;
        OnUi([&] { holds = cond(); });
        if (holds) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(20);
    }
}

void DialogDriver::Settle(DWORD ms) {
    Sleep(ms);
    OnUi([] {});
}

INT_PTR RunModalScript(CDialog& dialog, const std::function<void(DialogDriver&)>& script) {
    HWND sink = CreateSink();
    ScriptRun run{&dialog, &script, sink};
    KernelHandle thread(CreateThread(nullptr, 0, &ScriptThread, &run, 0, nullptr));
    INT_PTR result = dialog.DoModal();
    PumpUntil(thread.get());
    DestroyWindow(sink);
    return result;
}

void MovePointerTo(HWND window, POINT client) {
    if (window) ClientToScreen(window, &client);
    SetCursorPos(client.x, client.y);
    // A move event as well, so that the window under the pointer hears of it.
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = (client.x * 65535) / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = (client.y * 65535) / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(input));
}

void ClickLeft(int count) {
    for (int i = 0; i < count; ++i) {
        INPUT inputs[2]{};
        inputs[0].type = inputs[1].type = INPUT_MOUSE;
        inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, inputs, sizeof(INPUT));
    }
}
