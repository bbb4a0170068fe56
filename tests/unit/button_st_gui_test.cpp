#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "controls/ButtonST.h"
#include "framework/UniqueHandle.h"
#include "res/resource.h"
#include "support/DialogDriver.h"
#include "support/WindowPixels.h"

namespace {

constexpr COLORREF kTeal = RGB(39, 149, 149);
constexpr COLORREF kCyan = RGB(38, 236, 235);
constexpr COLORREF kGrayedText = RGB(100, 100, 100);
constexpr int kCaptionPixels = 20;  // a caption in a colour paints at least this many pixels of it

// The update window's template with its three buttons bound, coloured as the product's
// windows colour themselves; it counts the clicks that reach it.
class ButtonDialog : public CDialog {
public:
    explicit ButtonDialog(UINT templateId = IDD_RUVAZORO_DIALOG) : CDialog(templateId) {}

    CButtonST m_btnCheckUpdate;
    CButtonST m_btnLaunch;
    CButtonST m_btnExit;
    std::map<UINT, int> clicks;
    LRESULT codeAtBinding = 0;
    int focusTaken = 0;  // WM_SETFOCUS of the dialog itself

    HWND Item(int id) const { return GetDlgItem(id); }
    POINT ItemCentre(int id) const {
        RECT r;
        GetClientRect(Item(id), &r);
        return {r.right / 2, r.bottom / 2};
    }
    POINT DialogUnits(int x, int y) const {
        RECT r{x, y, x, y};
        MapDialogRect(m_hWnd, &r);
        return {r.left, r.top};
    }

    bool OnWndMsg(UINT message, WPARAM, LPARAM, LRESULT&) override {
        if (message == WM_SETFOCUS) ++focusTaken;
        return false;
    }

protected:
    void DoDataExchange() override {
        if (TemplateId() == IDD_ABOUTBOX) {
            DDX_Control(IDOK, m_btnExit);
            return;
        }
        DDX_Control(IDC_CHECK_UPDATE, m_btnCheckUpdate);
        DDX_Control(IDC_LAUNCH, m_btnLaunch);
        DDX_Control(IDCANCEL, m_btnExit);
    }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        if (TemplateId() == IDD_ABOUTBOX) codeAtBinding = SendMessageW(Item(IDOK), WM_GETDLGCODE, 0, 0);
        m_brDialog.reset(CreateSolidBrush(RGB(36, 36, 36)));
        m_brButton.reset(CreateSolidBrush(RGB(70, 70, 70)));
        return TRUE;
    }
    bool OnCommand(UINT id, UINT code, HWND control) override {
        if (code == BN_CLICKED) ++clicks[id];
        return CDialog::OnCommand(id, code, control);
    }
    HBRUSH OnCtlColor(HDC dc, HWND control, UINT kind) override {
        HBRUSH brush = CDialog::OnCtlColor(dc, control, kind);
        switch (kind) {
            case CTLCOLOR_BTN:
                SetTextColor(dc, RGB(255, 255, 255));
                SetBkColor(dc, RGB(70, 70, 70));
                return m_brButton.get();
            case CTLCOLOR_DLG:
                SetTextColor(dc, RGB(255, 255, 255));
                SetBkColor(dc, RGB(36, 36, 36));
                return m_brDialog.get();
            case CTLCOLOR_EDIT:
            case CTLCOLOR_STATIC:
                SetTextColor(dc, RGB(177, 177, 177));
                SetBkColor(dc, RGB(36, 36, 36));
                return m_brDialog.get();
            default:
                return brush;
        }
    }

private:
    BrushHandle m_brDialog;
    BrushHandle m_brButton;
};

bool Grey(COLORREF c) { return GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c); }
int Channel(COLORREF c) { return GetRValue(c); }

bool ShowsCaption(ButtonDialog& dialog, int id, COLORREF colour) {
    return WindowPixels(dialog.Item(id)).Count(colour) >= kCaptionPixels;
}

// Moves the pointer far from the dialog and waits until no button is hot any more (the
// system reports the leave with a delay).
void PointerAway(ButtonDialog& dialog, DialogDriver& d) {
    MovePointerTo(nullptr, POINT{1250, 1000});
    bool plain = d.WaitUntil([&] {
        for (int id : {IDC_CHECK_UPDATE, IDC_LAUNCH, IDCANCEL})
            if (WindowPixels(dialog.Item(id)).Count(kCyan) > 0) return false;
        return true;
    }, 3000);
    ASSERT_TRUE(plain) << "a button stayed hot";
}

TEST(ButtonST, PaintsGradientFaceAndBevel) {
    ButtonDialog dialog;
    RunModalScript(dialog, [&](DialogDriver& d) {
        d.OnUi([&] {
            for (int id : {IDC_CHECK_UPDATE, IDC_LAUNCH, IDCANCEL}) {
                WindowPixels p(dialog.Item(id));
                const int w = p.Width(), h = p.Height();
                ASSERT_GT(h, 10);
                int wrong = 0;
                for (int x = 0; x < w; ++x) wrong += p.At(x, 0) != RGB(94, 93, 94);
                for (int y = 1; y < h - 1; ++y) wrong += p.At(0, y) != RGB(59, 59, 59);
                for (int y = 1; y < h; ++y) wrong += p.At(w - 1, y) != RGB(59, 59, 59);
                for (int x = 1; x < w - 1; ++x) wrong += p.At(x, h - 1) != RGB(41, 41, 41);
                EXPECT_EQ(wrong, 0) << "frame pixels, button " << id;

                // The face, away from the caption: a grey running from 61 at the top to 38 at the bottom.
                EXPECT_NEAR(Channel(p.At(2, 1)), 61, 2) << id;
                EXPECT_NEAR(Channel(p.At(2, h - 2)), 38, 2) << id;
                int rising = 0, coloured = 0;
                for (int y = 1; y < h - 1; ++y) {
                    rising += Channel(p.At(2, y + 1)) > Channel(p.At(2, y)) && y + 1 < h - 1;
                    coloured += !Grey(p.At(2, y));
                }
                EXPECT_EQ(rising, 0) << id;
                EXPECT_EQ(coloured, 0) << id;
            }
        });
    });
}

TEST(ButtonST, EmptyCaptionPaintsOnlyFaceAndFrame) {
    ButtonDialog dialog;
    RunModalScript(dialog, [&](DialogDriver& d) {
        d.OnUi([&] {
            SetWindowTextW(dialog.Item(IDC_LAUNCH), L"");
            WindowPixels p(dialog.Item(IDC_LAUNCH));
            int coloured = 0;
            for (int y = 1; y < p.Height(); ++y)
                for (int x = 0; x < p.Width(); ++x) coloured += !Grey(p.At(x, y));
            EXPECT_EQ(coloured, 0);
            EXPECT_EQ(p.Count(kTeal), 0);
        });
    });
}

TEST(ButtonST, CaptionColourFollowsTheState) {
    struct Case {
        const char* name;
        std::function<void(ButtonDialog&, DialogDriver&)> enter;
        COLORREF shown;
        COLORREF absent;
    };
    const Case cases[] = {
        {"plain", [](ButtonDialog& b, DialogDriver& d) { d.OnUi([&] { SetFocus(b.Item(IDCANCEL)); }); }, kTeal, kCyan},
        {"focused", [](ButtonDialog& b, DialogDriver& d) { d.OnUi([&] { SetFocus(b.Item(IDC_LAUNCH)); }); }, kTeal, kCyan},
        {"disabled", [](ButtonDialog& b, DialogDriver& d) { d.OnUi([&] { EnableWindow(b.Item(IDC_LAUNCH), FALSE); }); },
         kGrayedText, kTeal},
        {"disabled under the pointer",
         [](ButtonDialog& b, DialogDriver& d) {
             MovePointerTo(b.Item(IDC_LAUNCH), b.ItemCentre(IDC_LAUNCH));
             d.Settle(200);
             d.OnUi([&] { EnableWindow(b.Item(IDC_LAUNCH), FALSE); });
         },
         kGrayedText, kCyan},
        {"under the pointer",
         [](ButtonDialog& b, DialogDriver& d) {
             MovePointerTo(b.Item(IDC_LAUNCH), b.ItemCentre(IDC_LAUNCH));
             d.WaitUntil([&] { return ShowsCaption(b, IDC_LAUNCH, kCyan); }, 3000);
         },
         kCyan, kTeal},
    };
    ButtonDialog dialog;
    RunModalScript(dialog, [&](DialogDriver& d) {
        for (const Case& c : cases) {
            PointerAway(dialog, d);
            c.enter(dialog, d);
            d.Settle();
            d.OnUi([&] {
                WindowPixels p(dialog.Item(IDC_LAUNCH));
                EXPECT_GE(p.Count(c.shown), kCaptionPixels) << c.name;
                EXPECT_EQ(p.Count(c.absent), 0) << c.name;
                EnableWindow(dialog.Item(IDC_LAUNCH), TRUE);
            });
        }
    });
}

TEST(ButtonST, HotWhilePointerIsOverIt) {
    ButtonDialog dialog;
    RunModalScript(dialog, [&](DialogDriver& d) {
        HWND launch = nullptr, check = nullptr;
        d.OnUi([&] {
            launch = dialog.Item(IDC_LAUNCH);
            check = dialog.Item(IDC_CHECK_UPDATE);
        });
        PointerAway(dialog, d);
        MovePointerTo(launch, dialog.ItemCentre(IDC_LAUNCH));
        EXPECT_TRUE(d.WaitUntil([&] { return ShowsCaption(dialog, IDC_LAUNCH, kCyan); }, 3000)) << "enter";

        // Straight onto the neighbour: one leaves, the other lights up.
        MovePointerTo(check, dialog.ItemCentre(IDC_CHECK_UPDATE));
        EXPECT_TRUE(d.WaitUntil([&] { return ShowsCaption(dialog, IDC_CHECK_UPDATE, kCyan); }, 3000));
        EXPECT_TRUE(d.WaitUntil([&] { return ShowsCaption(dialog, IDC_LAUNCH, kTeal); }, 3000));

        PointerAway(dialog, d);
        EXPECT_TRUE(d.WaitUntil([&] { return ShowsCaption(dialog, IDC_CHECK_UPDATE, kTeal); }, 3000)) << "leave";
        d.OnUi([&] { EXPECT_EQ(WindowPixels(check).Count(kCyan), 0); });
    });
}

TEST(ButtonST, DraggingOntoTheButtonDoesNotMakeItHot) {
    ButtonDialog dialog;
    RunModalScript(dialog, [&](DialogDriver& d) {
        HWND launch = nullptr;
        POINT background{};
        d.OnUi([&] {
            launch = dialog.Item(IDC_LAUNCH);
            background = dialog.DialogUnits(278, 120);  // empty dialog area below the buttons
        });
        PointerAway(dialog, d);
        MovePointerTo(dialog.m_hWnd, background);
        d.Settle();
        INPUT press{};
        press.type = INPUT_MOUSE;
        press.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        SendInput(1, &press, sizeof(press));
        d.Settle();
        MovePointerTo(launch, dialog.ItemCentre(IDC_LAUNCH));
        d.Settle(400);
        d.OnUi([&] { EXPECT_EQ(WindowPixels(launch).Count(kCyan), 0) << "held button"; });

        INPUT release{};
        release.type = INPUT_MOUSE;
        release.mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(1, &release, sizeof(release));
        d.Settle();
        MovePointerTo(launch, POINT{dialog.ItemCentre(IDC_LAUNCH).x + 3, dialog.ItemCentre(IDC_LAUNCH).y});
        EXPECT_TRUE(d.WaitUntil([&] { return ShowsCaption(dialog, IDC_LAUNCH, kCyan); }, 3000)) << "released";
        EXPECT_EQ(dialog.clicks[IDC_LAUNCH], 0);
    });
}

TEST(ButtonST, KeyboardPressShiftsTheCaption) {
    ButtonDialog dialog;
    RunModalScript(dialog, [&](DialogDriver& d) {
        PointerAway(dialog, d);
        RECT before{};
        d.OnUi([&] {
            SetFocus(dialog.Item(IDC_LAUNCH));
            before = WindowPixels(dialog.Item(IDC_LAUNCH)).Bounds(kTeal);
            PostMessageW(dialog.Item(IDC_LAUNCH), WM_KEYDOWN, VK_SPACE, 1);
        });
        d.Settle();
        d.OnUi([&] {
            RECT pressed = WindowPixels(dialog.Item(IDC_LAUNCH)).Bounds(kTeal);
            EXPECT_FALSE(IsRectEmpty(&before));
            EXPECT_EQ(pressed.left, before.left + 1);
            EXPECT_EQ(pressed.top, before.top + 1);
            EXPECT_EQ(pressed.right, before.right + 1);
            EXPECT_EQ(pressed.bottom, before.bottom + 1);
            PostMessageW(dialog.Item(IDC_LAUNCH), WM_KEYUP, VK_SPACE, 0xC0000001);
        });
        EXPECT_TRUE(d.WaitUntil([&] { return dialog.clicks[IDC_LAUNCH] == 1; }));
    });
}

TEST(ButtonST, CaptionIsCentred) {
    struct Case {
        const wchar_t* text;
        int lines;
    };
    const Case cases[] = {{L"启动程序", 1}, {L"检查更新 检查更新 检查更新", 2}, {L"退出", 1}};
    ButtonDialog dialog;
    RunModalScript(dialog, [&](DialogDriver& d) {
        PointerAway(dialog, d);
        d.OnUi([&] {
            SetFocus(dialog.Item(IDCANCEL));
            int oneLine = 0;
            for (const Case& c : cases) {
                HWND button = dialog.Item(IDC_LAUNCH);
                SetWindowTextW(button, c.text);
                WindowPixels p(button);
                RECT ink = p.Bounds(kTeal);
                ASSERT_FALSE(IsRectEmpty(&ink));
                const int left = ink.left, right = p.Width() - ink.right;
                const int top = ink.top, bottom = p.Height() - ink.bottom;
                EXPECT_LE(std::abs(left - right), 2) << "horizontal, lines " << c.lines;
                EXPECT_LE(std::abs(top - bottom), 3) << "vertical, lines " << c.lines;
                const int height = ink.bottom - ink.top;
                if (c.lines == 1) oneLine = height;
                else EXPECT_GT(height, oneLine * 3 / 2) << "wrapped onto more lines";
            }
        });
    });
}

TEST(ButtonST, DisablingHandsTheFocusOn) {
    struct Case {
        const char* name;
        int focusBefore;
        std::vector<int> disable;  // in this order
        int focusAfter;            // 0: the dialog itself (its dialog manager then places it)
    };
    const std::vector<Case> cases = {
        {"focused check button", IDC_CHECK_UPDATE, {IDC_CHECK_UPDATE}, IDC_LOG},
        {"focused launch button wraps round", IDC_LAUNCH, {IDC_LAUNCH}, IDCANCEL},
        {"exit button", IDCANCEL, {IDCANCEL}, IDC_CHECK_UPDATE},
        {"unfocused button moves the focus too", IDCANCEL, {IDC_CHECK_UPDATE}, IDC_LOG},
        {"the run's two buttons", IDC_CHECK_UPDATE, {IDC_CHECK_UPDATE, IDC_LAUNCH}, IDCANCEL},
        {"no tab stop left", IDCANCEL, {IDC_LOG, IDC_CHECK_UPDATE, IDC_LAUNCH, IDCANCEL}, 0},
    };
    ButtonDialog dialog;
    RunModalScript(dialog, [&](DialogDriver& d) {
        for (const Case& c : cases) {
            d.OnUi([&] {
                SetFocus(dialog.Item(c.focusBefore));
                for (size_t i = 0; i + 1 < c.disable.size(); ++i) EnableWindow(dialog.Item(c.disable[i]), FALSE);
                const int taken = dialog.focusTaken;
                EnableWindow(dialog.Item(c.disable.back()), FALSE);
                if (c.focusAfter) EXPECT_EQ(GetFocus(), dialog.Item(c.focusAfter)) << c.name;
                else EXPECT_EQ(dialog.focusTaken, taken + 1) << c.name;
                for (int id : {IDC_LOG, IDC_CHECK_UPDATE, IDC_LAUNCH, IDCANCEL}) EnableWindow(dialog.Item(id), TRUE);
            });
        }
    });
}

TEST(ButtonST, ClickNotificationTakesTheFocusAndReachesTheDialog) {
    ButtonDialog dialog;
    RunModalScript(dialog, [&](DialogDriver& d) {
        d.OnUi([&] {
            HWND launch = dialog.Item(IDC_LAUNCH);
            SetFocus(dialog.Item(IDCANCEL));
            SendMessageW(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_LAUNCH, BN_CLICKED), reinterpret_cast<LPARAM>(launch));
            EXPECT_EQ(GetFocus(), launch);
            EXPECT_EQ(dialog.clicks[IDC_LAUNCH], 1);
        });
    });
}

TEST(ButtonST, DialogCodeFollowsTheDefaultState) {
    struct Step {
        WPARAM style;
        bool defaultAfter;
    };
    const Step steps[] = {
        {BS_DEFPUSHBUTTON, true}, {BS_CHECKBOX, true}, {BS_PUSHBUTTON, false}, {BS_CHECKBOX, false},
        {BS_DEFPUSHBUTTON | BS_NOTIFY, true},
    };
    ButtonDialog dialog;
    RunModalScript(dialog, [&](DialogDriver& d) {
        d.OnUi([&] {
            HWND launch = dialog.Item(IDC_LAUNCH);
            LRESULT code = SendMessageW(launch, WM_GETDLGCODE, 0, 0);
            EXPECT_TRUE(code & DLGC_UNDEFPUSHBUTTON);
            EXPECT_FALSE(code & DLGC_DEFPUSHBUTTON);
            EXPECT_TRUE(code & DLGC_BUTTON) << "the default code is kept";
            for (const Step& s : steps) {
                SendMessageW(launch, BM_SETSTYLE, s.style, TRUE);
                code = SendMessageW(launch, WM_GETDLGCODE, 0, 0);
                EXPECT_EQ((code & DLGC_DEFPUSHBUTTON) != 0, s.defaultAfter) << s.style;
                EXPECT_EQ((code & DLGC_UNDEFPUSHBUTTON) != 0, !s.defaultAfter) << s.style;
                EXPECT_EQ(GetWindowLongW(launch, GWL_STYLE) & 0x1F, BS_OWNERDRAW) << "stays owner-drawn";
            }
        });
    });

    ButtonDialog about(IDD_ABOUTBOX);
    RunModalScript(about, [&](DialogDriver&) {});
    EXPECT_TRUE(about.codeAtBinding & DLGC_DEFPUSHBUTTON) << "bound to a default push button";
}

TEST(ButtonST, EnterPressesTheFocusedButton) {
    for (int id : {IDC_CHECK_UPDATE, IDC_LAUNCH}) {
        ButtonDialog dialog;
        RunModalScript(dialog, [&](DialogDriver& d) {
            d.OnUi([&] {
                SendMessageW(dialog.m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(dialog.Item(id)), TRUE);
                PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
                PostMessageW(GetFocus(), WM_KEYUP, VK_RETURN, 0xC0000001);
            });
            EXPECT_TRUE(d.WaitUntil([&] { return dialog.clicks[id] == 1; }, 3000)) << id;
        });
        EXPECT_EQ(dialog.clicks[IDOK], 0) << id;
    }
}

TEST(ButtonST, DoubleClickCountsAsTwoClicks) {
    ButtonDialog dialog;
    RunModalScript(dialog, [&](DialogDriver& d) {
        PointerAway(dialog, d);
        HWND launch = nullptr;
        d.OnUi([&] { launch = dialog.Item(IDC_LAUNCH); });
        MovePointerTo(launch, dialog.ItemCentre(IDC_LAUNCH));
        d.Settle();
        ClickLeft(2);
        d.WaitUntil([&] { return dialog.clicks[IDC_LAUNCH] >= 2; }, 3000);
        d.Settle(300);
        EXPECT_EQ(dialog.clicks[IDC_LAUNCH], 2);
    });
}

TEST(ButtonST, SystemColourChangeResetsTheCaption) {
    const COLORREF buttonText = GetSysColor(COLOR_BTNTEXT);
    ASSERT_NE(buttonText, kTeal);
    ButtonDialog dialog;
    RunModalScript(dialog, [&](DialogDriver& d) {
        PointerAway(dialog, d);
        d.OnUi([&] {
            SetFocus(dialog.Item(IDCANCEL));
            // The system tells top-level windows; the dialog passes it on to its controls.
            SendMessageW(dialog.m_hWnd, WM_SYSCOLORCHANGE, 0, 0);
            for (int id : {IDC_LAUNCH, IDCANCEL}) {  // plain and focused
                WindowPixels p(dialog.Item(id));
                EXPECT_GE(p.Count(buttonText), kCaptionPixels) << id;
                EXPECT_EQ(p.Count(kTeal), 0) << id;
            }
        });
        MovePointerTo(dialog.Item(IDC_LAUNCH), dialog.ItemCentre(IDC_LAUNCH));
        EXPECT_TRUE(d.WaitUntil([&] { return ShowsCaption(dialog, IDC_LAUNCH, kCyan); }, 3000)) << "hot stays cyan";
    });
}

}  // namespace
