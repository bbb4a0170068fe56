#include <gtest/gtest.h>

#include <vector>

#include "framework/Button.h"
#include "framework/Dialog.h"
#include "framework/UniqueHandle.h"
#include "res/resource.h"
#include "support/DialogDriver.h"

namespace {

constexpr UINT kProbeEaten = WM_APP + 7;
constexpr UINT kProbePassed = WM_APP + 8;
constexpr UINT kClaimedByHook = WM_APP + 5;
constexpr UINT kOpenInner = WM_APP + 9;

bool Seen(const std::vector<UINT>& messages, UINT message) {
    for (UINT m : messages)
        if (m == message) return true;
    return false;
}

// A control that records what reaches it and can answer reflected notifications.
class Probe : public CButton {
public:
    bool ownerDraw = false;
    bool answerCommand = false;
    HBRUSH colourAnswer = nullptr;
    std::vector<UINT> preTranslated;
    std::vector<UINT> received;

    bool PreTranslateMessage(MSG* msg) override {
        preTranslated.push_back(msg->message);
        return msg->message == kProbeEaten;
    }
    bool OnWndMsg(UINT message, WPARAM, LPARAM, LRESULT& result) override {
        received.push_back(message);
        if (message == WM_REFLECT_BASE + WM_COMMAND) return answerCommand;
        if (message == WM_REFLECT_BASE + WM_CTLCOLORBTN && colourAnswer) {
            result = reinterpret_cast<LRESULT>(colourAnswer);
            return true;
        }
        if (message == WM_REFLECT_BASE + WM_DRAWITEM) {
            result = TRUE;
            return true;
        }
        return false;
    }

protected:
    void PreSubclassWindow() override {
        if (ownerDraw) ModifyStyle(0x1F, BS_OWNERDRAW, SWP_FRAMECHANGED);
    }
};

// A dialog that records what its hooks and handlers see.
class ProbeDialog : public CDialog {
public:
    explicit ProbeDialog(UINT templateId, int probeId) : CDialog(templateId), probeId_(probeId) {}

    Probe probe;
    bool swallowCancel = false;
    HBRUSH staticBrush = nullptr;
    HICON dragIcon = nullptr;
    std::vector<UINT> firstLook;
    std::vector<UINT> preTranslated;
    std::vector<UINT> commands;
    bool initSeenFirst = false;
    CDialog* inner = nullptr;
    INT_PTR innerResult = 0;

    bool PreTranslateMessage(MSG* msg) override {
        preTranslated.push_back(msg->message);
        return false;
    }
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override {
        firstLook.push_back(message);
        if (message == kClaimedByHook) {
            result = 1234;
            return true;
        }
        if (message == kOpenInner && inner) {
            innerResult = inner->DoModal();
            return true;
        }
        return swallowCancel && message == WM_COMMAND && LOWORD(wParam) == IDCANCEL;
    }

protected:
    void DoDataExchange() override {
        if (probeId_) DDX_Control(probeId_, probe);
    }
    BOOL OnInitDialog() override {
        initSeenFirst = Seen(firstLook, WM_INITDIALOG);
        return CDialog::OnInitDialog();
    }
    bool OnCommand(UINT id, UINT code, HWND control) override {
        commands.push_back(id);
        return CDialog::OnCommand(id, code, control);
    }
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind) override {
        HBRUSH base = CDialog::OnCtlColor(dc, control, kind);
        return kind == CTLCOLOR_STATIC && staticBrush ? staticBrush : base;
    }
    HCURSOR OnQueryDragIcon() override { return dragIcon; }

private:
    int probeId_;
};

void PostKey(HWND target, WPARAM key) {
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

TEST(Dialog, DoModalReturnsHowTheDialogEnded) {
    struct Case {
        const char* name;
        UINT templateId;
        void (*end)(HWND dialog);
        INT_PTR expected;
    };
    const Case cases[] = {
        {"Escape", IDD_RUVAZORO_DIALOG, [](HWND) { PostKey(GetFocus(), VK_ESCAPE); }, IDCANCEL},
        {"Exit button", IDD_RUVAZORO_DIALOG,
         [](HWND d) { PostMessageW(GetDlgItem(d, IDCANCEL), BM_CLICK, 0, 0); }, IDCANCEL},
        {"WM_CLOSE", IDD_RUVAZORO_DIALOG, [](HWND d) { PostMessageW(d, WM_CLOSE, 0, 0); }, IDCANCEL},
        {"Enter on the OK button", IDD_ABOUTBOX, [](HWND) { PostKey(GetFocus(), VK_RETURN); }, IDOK},
        {"Escape without a cancel button", IDD_ABOUTBOX, [](HWND) { PostKey(GetFocus(), VK_ESCAPE); }, IDCANCEL},
    };
    for (const Case& c : cases) {
        CDialog dialog(c.templateId);
        INT_PTR result = RunModalScript(dialog, [&](DialogDriver& d) {
            d.OnUi([&] { c.end(dialog.m_hWnd); });
            d.WaitUntil([&] { return dialog.m_hWnd == nullptr; });
        });
        EXPECT_EQ(result, c.expected) << c.name;
        EXPECT_EQ(dialog.m_hWnd, nullptr) << c.name;
    }
}

TEST(Dialog, DoModalFailsWithoutTemplate) {
    CDialog dialog(999);
    EXPECT_EQ(dialog.DoModal(), -1);
}

TEST(Dialog, FirstLookHookSeesEveryMessageFirst) {
    ProbeDialog dialog(IDD_RUVAZORO_DIALOG, 0);
    dialog.swallowCancel = true;
    INT_PTR result = RunModalScript(dialog, [&](DialogDriver& d) {
        LRESULT answer = 0;
        d.OnUi([&] { answer = SendMessageW(dialog.m_hWnd, kClaimedByHook, 0, 0); });
        EXPECT_EQ(answer, 1234) << "a claimed message answers through DWLP_MSGRESULT";

        // A claimed IDCANCEL never reaches the default handling.
        d.OnUi([&] { PostKey(GetFocus(), VK_ESCAPE); });
        d.Settle();
        bool open = false;
        d.OnUi([&] { open = dialog.m_hWnd && IsWindow(dialog.m_hWnd); });
        EXPECT_TRUE(open);
        d.OnUi([&] { dialog.swallowCancel = false; PostKey(GetFocus(), VK_ESCAPE); });
        d.WaitUntil([&] { return dialog.m_hWnd == nullptr; });
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(dialog.initSeenFirst);
    EXPECT_TRUE(Seen(dialog.firstLook, WM_COMMAND));
    EXPECT_TRUE(Seen(dialog.firstLook, WM_NCDESTROY));
}

TEST(Dialog, ColourAndDragIconAnswersAreReturnedDirectly) {
    ProbeDialog dialog(IDD_RUVAZORO_DIALOG, 0);
    BrushHandle brush(CreateSolidBrush(RGB(1, 2, 3)));
    dialog.staticBrush = brush.get();
    dialog.dragIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAINFRAME));
    ASSERT_NE(dialog.dragIcon, nullptr);
    RunModalScript(dialog, [&](DialogDriver& d) {
        d.OnUi([&] {
            HDC dc = GetDC(dialog.m_hWnd);
            LRESULT colour = SendMessageW(dialog.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                          reinterpret_cast<LPARAM>(dialog.GetDlgItem(IDC_BANNER)));
            ReleaseDC(dialog.m_hWnd, dc);
            EXPECT_EQ(colour, reinterpret_cast<LRESULT>(brush.get()));
            LRESULT icon = SendMessageW(dialog.m_hWnd, WM_QUERYDRAGICON, 0, 0);
            EXPECT_EQ(icon, reinterpret_cast<LRESULT>(dialog.dragIcon));
        });
    });
}

TEST(Dialog, ReflectedNotificationsReachTheBoundControl) {
    for (bool answer : {false, true}) {
        ProbeDialog dialog(IDD_RUVAZORO_DIALOG, IDC_LAUNCH);
        dialog.probe.ownerDraw = true;
        dialog.probe.answerCommand = answer;
        BrushHandle brush(CreateSolidBrush(RGB(4, 5, 6)));
        dialog.probe.colourAnswer = brush.get();
        RunModalScript(dialog, [&](DialogDriver& d) {
            d.OnUi([&] {
                HWND button = dialog.GetDlgItem(IDC_LAUNCH);
                SendMessageW(button, BM_CLICK, 0, 0);
                InvalidateRect(button, nullptr, TRUE);
                UpdateWindow(button);
                HDC dc = GetDC(button);
                LRESULT colour = SendMessageW(dialog.m_hWnd, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                                              reinterpret_cast<LPARAM>(button));
                ReleaseDC(button, dc);
                EXPECT_EQ(colour, reinterpret_cast<LRESULT>(brush.get())) << "the control's colour answer";
            });
        });
        const auto& got = dialog.probe.received;
        EXPECT_TRUE(Seen(got, WM_REFLECT_BASE + WM_COMMAND)) << answer;
        EXPECT_TRUE(Seen(got, WM_REFLECT_BASE + WM_DRAWITEM)) << answer;
        EXPECT_TRUE(Seen(got, WM_REFLECT_BASE + WM_CTLCOLORBTN)) << answer;
        EXPECT_EQ(Seen(dialog.commands, IDC_LAUNCH), !answer) << "the dialog's command runs only when the control leaves it";
    }
}

TEST(Dialog, ModalLoopOffersMessagesToPreTranslateMessage) {
    ProbeDialog dialog(IDD_RUVAZORO_DIALOG, IDC_LAUNCH);
    RunModalScript(dialog, [&](DialogDriver& d) {
        d.OnUi([&] {
            HWND button = dialog.GetDlgItem(IDC_LAUNCH);
            PostMessageW(button, kProbeEaten, 0, 0);
            PostMessageW(button, kProbePassed, 0, 0);
            PostMessageW(dialog.m_hWnd, kProbePassed, 0, 0);
        });
        d.Settle();
    });
    const Probe& probe = dialog.probe;
    EXPECT_TRUE(Seen(probe.preTranslated, kProbeEaten));
    EXPECT_FALSE(Seen(probe.received, kProbeEaten)) << "a consumed message is not dispatched";
    EXPECT_TRUE(Seen(probe.preTranslated, kProbePassed));
    EXPECT_TRUE(Seen(probe.received, kProbePassed));
    EXPECT_TRUE(Seen(dialog.preTranslated, kProbePassed)) << "the dialog itself is offered its messages";
    EXPECT_FALSE(Seen(dialog.preTranslated, kProbeEaten)) << "the control consumed it first";
}

TEST(Dialog, NestedModalDialogs) {
    ProbeDialog outer(IDD_RUVAZORO_DIALOG, IDC_LAUNCH);
    ProbeDialog inner(IDD_ABOUTBOX, IDOK);
    outer.inner = &inner;
    INT_PTR result = RunModalScript(outer, [&](DialogDriver& d) {
        d.OnUi([&] { PostMessageW(outer.m_hWnd, kOpenInner, 0, 0); });
        ASSERT_TRUE(d.WaitUntil([&] { return inner.m_hWnd && IsWindowVisible(inner.m_hWnd); }));
        d.OnUi([&] {
            EXPECT_EQ(GetWindow(inner.m_hWnd, GW_OWNER), outer.m_hWnd);
            EXPECT_FALSE(IsWindowEnabled(outer.m_hWnd)) << "the owner is disabled while the inner box runs";
            PostMessageW(inner.GetDlgItem(IDOK), kProbePassed, 0, 0);
            PostMessageW(outer.GetDlgItem(IDC_LAUNCH), kProbeEaten, 0, 0);
        });
        d.Settle();
        d.OnUi([&] { PostMessageW(inner.GetDlgItem(IDOK), BM_CLICK, 0, 0); });
        ASSERT_TRUE(d.WaitUntil([&] { return inner.m_hWnd == nullptr && outer.innerResult != 0; }));
        d.OnUi([&] {
            EXPECT_TRUE(IsWindowEnabled(outer.m_hWnd));
            outer.probe.preTranslated.clear();
            PostMessageW(outer.GetDlgItem(IDC_LAUNCH), kProbePassed, 0, 0);
        });
        d.Settle();
        d.OnUi([&] { PostKey(GetFocus(), VK_ESCAPE); });
        d.WaitUntil([&] { return outer.m_hWnd == nullptr; });
    });
    EXPECT_EQ(outer.innerResult, IDOK);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(Seen(inner.probe.preTranslated, kProbePassed));
    EXPECT_TRUE(Seen(inner.probe.received, kProbePassed));
    EXPECT_TRUE(Seen(outer.probe.preTranslated, kProbePassed)) << "the outer filter works after the inner box";
}

}  // namespace
