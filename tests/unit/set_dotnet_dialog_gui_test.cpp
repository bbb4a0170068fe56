// The .NET Framework prompt shown modally, driven from a second thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "controls/SetDotNetDialog.h"
#include "res/resource.h"
#include "support/DialogDriver.h"
#include "support/WindowPixels.h"

namespace {

constexpr COLORREF kDialogBackground = RGB(36, 36, 36);
constexpr COLORREF kButtonBackground = RGB(70, 70, 70);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGrey = RGB(177, 177, 177);
constexpr COLORREF kTeal = RGB(39, 149, 149);

const std::wstring kAddress = L"https://dotnet.example/下载/dotNetFx40_Full_x86_x64.exe";
const std::wstring kHint = L"请安装 .NET Framework 4.0 后再启动";

// The prompt with its opening replaced by a recorder.
class Prompt : public CSetDotNetDialog {
public:
    explicit Prompt(std::wstring address = kAddress, std::wstring hint = kHint) {
        m_strOpenUrl = std::move(address);
        m_strOpenInfo = std::move(hint);
        openAddress = [this](const std::wstring& address) { opened.push_back(address); };
    }
    std::vector<std::wstring> opened;

    HWND Item(int id) const { return GetDlgItem(id); }
    // A control's rectangle in the dialog's client co-ordinates.
    RECT ItemRect(int id) const {
        RECT r;
        GetWindowRect(Item(id), &r);
        MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
};

std::wstring Text(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

void PostKey(HWND target, WPARAM key) {
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

bool IsOpen(const Prompt& prompt) { return prompt.m_hWnd && IsWindowVisible(prompt.m_hWnd); }

TEST(SetDotNetDialog, ShowsTheAddressAndTheHint) {
    Prompt prompt;
    RunModalScript(prompt, [&](DialogDriver& d) {
        d.OnUi([&] {
            EXPECT_EQ(Text(prompt.Item(IDC_OPEN_URL)), kAddress);
            EXPECT_EQ(Text(prompt.Item(IDC_OPEN_INFO)), kHint);
            EXPECT_EQ(Text(prompt.Item(IDC_OPEN_LINK)), L"打开连接");
            EXPECT_EQ(Text(prompt.Item(IDCANCEL)), L"忽略");
            EXPECT_EQ(GetFocus(), prompt.Item(IDC_OPEN_LINK)) << "the first tab stop has the focus";
            EXPECT_EQ(GetWindowLongW(prompt.Item(IDC_OPEN_LINK), GWL_STYLE) & 0x1F, BS_OWNERDRAW);
            EXPECT_EQ(GetWindowLongW(prompt.Item(IDCANCEL), GWL_STYLE) & 0x1F, BS_OWNERDRAW);
        });
    });
}

TEST(SetDotNetDialog, LeavingTheDialogGivesTwo) {
    struct Case {
        const char* what;
        void (*leave)(Prompt& prompt);
    };
    const Case cases[] = {
        {"忽略 clicked", [](Prompt& p) { PostMessageW(p.Item(IDCANCEL), BM_CLICK, 0, 0); }},
        {"Escape", [](Prompt&) { PostKey(GetFocus(), VK_ESCAPE); }},
        {"Tab to 忽略, then Enter",
         [](Prompt&) {
             PostKey(GetFocus(), VK_TAB);
             PostKey(GetFocus(), VK_RETURN);
         }},
        {"Enter while 忽略 has the focus",
         [](Prompt& p) {
             SetFocus(p.Item(IDCANCEL));
             PostKey(GetFocus(), VK_RETURN);
         }},
        {"WM_CLOSE", [](Prompt& p) { PostMessageW(p.m_hWnd, WM_CLOSE, 0, 0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Prompt prompt;
        INT_PTR result = RunModalScript(prompt, [&](DialogDriver& d) {
            d.OnUi([&] { c.leave(prompt); });
            EXPECT_TRUE(d.WaitUntil([&] { return prompt.m_hWnd == nullptr; }));
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_TRUE(prompt.opened.empty());
    }
}

TEST(SetDotNetDialog, IgnoreAnswersARealMouseClick) {
    Prompt prompt;
    INT_PTR result = RunModalScript(prompt, [&](DialogDriver& d) {
        d.OnUi([&] {
            SetForegroundWindow(prompt.m_hWnd);
            RECT r;
            GetClientRect(prompt.Item(IDCANCEL), &r);
            MovePointerTo(prompt.Item(IDCANCEL), {r.right / 2, r.bottom / 2});
        });
        d.Settle();
        ClickLeft(1);
        EXPECT_TRUE(d.WaitUntil([&] { return prompt.m_hWnd == nullptr; }));
    });
    EXPECT_EQ(result, IDCANCEL);
}

// "打开连接" by two clicks, by Enter while it has the first focus, and by Enter after the focus
// went round with Tab: a web address is opened each time, anything else never; the prompt
// stays open either way.
TEST(SetDotNetDialog, OpenLinkOpensOnlyWebAddressesAndStaysOpen) {
    struct Case {
        std::wstring address;
        bool opens;
    };
    const Case cases[] = {
        {kAddress, true},
        {L"HTTP://dotnet.example/x", true},
        {L"C:\\Windows\\notepad.exe", false},
        {L"\\\\server\\share\\x.exe", false},
        {L"file:///C:/Windows/notepad.exe", false},
        {L"https://x.example/\" --new-window C:\\evil.exe", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.address.begin(), c.address.end()));
        Prompt prompt(c.address);
        INT_PTR result = RunModalScript(prompt, [&](DialogDriver& d) {
            d.OnUi([&] {
                PostMessageW(prompt.Item(IDC_OPEN_LINK), BM_CLICK, 0, 0);
                PostMessageW(prompt.Item(IDC_OPEN_LINK), BM_CLICK, 0, 0);
            });
            d.Settle();
            d.OnUi([&] {
                ASSERT_EQ(GetFocus(), prompt.Item(IDC_OPEN_LINK));
                PostKey(GetFocus(), VK_RETURN);
            });
            d.Settle();
            d.OnUi([&] { PostKey(GetFocus(), VK_TAB); });
            d.Settle();
            d.OnUi([&] { PostKey(GetFocus(), VK_TAB); });
            d.Settle();
            d.OnUi([&] {
                ASSERT_EQ(GetFocus(), prompt.Item(IDC_OPEN_LINK));
                PostKey(GetFocus(), VK_RETURN);
            });
            d.Settle();
            d.OnUi([&] {
                EXPECT_TRUE(IsOpen(prompt)) << "the prompt stays open";
                EXPECT_EQ(Text(prompt.Item(IDC_OPEN_URL)), c.address) << "shown as given";
            });
            d.OnUi([&] { PostKey(GetFocus(), VK_ESCAPE); });
            d.WaitUntil([&] { return prompt.m_hWnd == nullptr; });
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(prompt.opened, c.opens ? std::vector<std::wstring>(4, c.address) : std::vector<std::wstring>{});
    }
}

// The colour answers: text and background colours in the device context, the brush returned,
// and the background mode left as it was.
TEST(SetDotNetDialog, ColoursTheDialogItsTextsAndItsButtons) {
    struct Case {
        const char* what;
        UINT message;
        int control;  // 0: the dialog itself
        COLORREF text;
        COLORREF background;
    };
    const Case cases[] = {
        {"dialog", WM_CTLCOLORDLG, 0, kWhite, kDialogBackground},
        {"static", WM_CTLCOLORSTATIC, IDC_OPEN_URL, kGrey, kDialogBackground},
        {"button", WM_CTLCOLORBTN, IDC_OPEN_LINK, kWhite, kButtonBackground},
    };
    Prompt prompt;
    RunModalScript(prompt, [&](DialogDriver& d) {
        d.OnUi([&] {
            for (const Case& c : cases) {
                SCOPED_TRACE(c.what);
                HWND control = c.control ? prompt.Item(c.control) : prompt.m_hWnd;
                HDC dc = CreateCompatibleDC(nullptr);
                SetBkMode(dc, OPAQUE);
                auto brush = reinterpret_cast<HBRUSH>(SendMessageW(prompt.m_hWnd, c.message,
                                                                   reinterpret_cast<WPARAM>(dc),
                                                                   reinterpret_cast<LPARAM>(control)));
                LOGBRUSH logBrush{};
                ASSERT_EQ(GetObjectW(brush, sizeof logBrush, &logBrush), static_cast<int>(sizeof logBrush));
                EXPECT_EQ(logBrush.lbStyle, static_cast<UINT>(BS_SOLID));
                EXPECT_EQ(logBrush.lbColor, c.background);
                EXPECT_EQ(GetTextColor(dc), c.text);
                EXPECT_EQ(GetBkColor(dc), c.background);
                EXPECT_EQ(GetBkMode(dc), OPAQUE);
                DeleteDC(dc);
            }
        });
    });
}

// The painted prompt: dark background, grey texts on cells of the same dark, teal captions
// on the grey buttons, the banner at the top.
TEST(SetDotNetDialog, PaintsTheDarkLook) {
    // The pointer away from where the prompt appears, so that no caption is lit.
    MovePointerTo(nullptr, {1, 1});
    Prompt prompt;
    RunModalScript(prompt, [&](DialogDriver& d) {
        d.WaitUntil([&] {
            return WindowPixels(prompt.Item(IDC_OPEN_LINK)).Count(kTeal) > 0 &&
                   WindowPixels(prompt.Item(IDCANCEL)).Count(kTeal) > 0;
        });
        d.OnUi([&] {
            WindowPixels dialog(prompt.m_hWnd);
            ASSERT_GT(dialog.Width(), 0);
            EXPECT_EQ(dialog.At(dialog.Width() - 4, dialog.Height() - 4), kDialogBackground);
            EXPECT_EQ(dialog.At(4, dialog.Height() / 2), kDialogBackground);

            for (int id : {IDC_OPEN_URL, IDC_OPEN_INFO}) {
                WindowPixels cell(prompt.Item(id));
                EXPECT_GT(cell.Count(kGrey), 20) << "grey text in control " << id;
                EXPECT_GT(cell.Count(kDialogBackground), 0) << "on the dialog's dark, control " << id;
                EXPECT_EQ(cell.Count(kWhite), 0) << id;
            }
            for (int id : {IDC_OPEN_LINK, IDCANCEL}) {
                WindowPixels face(prompt.Item(id));
                EXPECT_GT(face.Count(kTeal), 20) << "teal caption on button " << id;
                EXPECT_EQ(face.Count(kButtonBackground), 0) << "the button draws its own gradient, " << id;
            }
            WindowPixels banner(prompt.Item(IDC_BANNER));
            EXPECT_GT(banner.Width(), 500) << "the banner bitmap keeps its size";
            EXPECT_LT(banner.Count(kDialogBackground), banner.Width() * banner.Height() / 2);
        });
    });
}

}  // namespace
