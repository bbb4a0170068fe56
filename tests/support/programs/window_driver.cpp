// Drives the update window of a running ruVazoro.exe for scripts, one action per call:
//
//   window_driver.exe wait-window <timeout-ms>       the update window is shown
//   window_driver.exe wait-gone <timeout-ms>         no update window is left
//   window_driver.exe click <id>                     posts a click to button <id>; returns at once
//   window_driver.exe enabled <id>                   prints 1 or 0; exit code 0 when enabled
//   window_driver.exe wait-enabled <id> <0|1> <timeout-ms>
//   window_driver.exe log <out-file|->               the log's text as UTF-8 (exact, "\r\n" kept)
//   window_driver.exe wait-log-ends-with <text-file> <timeout-ms>
//                                                    text-file: UTF-8; "\n" counts as "\r\n"
//   window_driver.exe hover <id>                     pointer over control <id>; 0 moves it away
//   window_driver.exe shot <file.bmp> [window|about|screen]
//   window_driver.exe click-shot <id> <file.bmp> [timeout-ms]
//                                                    posts a click to button <id> (1000) and saves
//                                                    the window while the run goes on: once 1000
//                                                    and 1003 show disabled, the window's thread is
//                                                    held still for the capture
//   window_driver.exe about [timeout-ms]             opens the About box from the system menu
//   window_driver.exe escape                         Escape in the About box if open, else in
//                                                    the update window
//
// Exit code 0: done or true; 1: not found, false or timed out; 2: wrong arguments.
// Printed text goes to standard output; problems to standard error.
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>
#include <vector>

#include "support/FrozenThread.h"
#include "support/ReadFileBytes.h"
#include "support/ScreenCapture.h"
#include "support/WindowDriver.h"
#include "support/WriteFileBytes.h"

namespace {

constexpr WPARAM kAboutCommand = 0x10;
constexpr wchar_t kAboutCaption[] = L"关于 Zorvik启动器";
constexpr DWORD kDefaultWaitMs = 10000;
constexpr DWORD kFindMs = 3000;  // an action looks this long for its window
constexpr COLORREF kDisabledCaption = RGB(100, 100, 100);
constexpr int kCaptionPixels = 20;

enum Exit { kDone = 0, kNo = 1, kUsage = 2 };

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::wstring FromUtf8(std::string bytes) {
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    if (bytes.empty()) return {};
    int size = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

// Line ends as the log writes them: a "\n" without "\r" before it becomes "\r\n".
std::wstring WithCrLf(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) out += L'\r';
        out += text[i];
    }
    return out;
}

void Write(DWORD stream, const std::string& bytes) {
    HANDLE handle = GetStdHandle(stream);
    DWORD written = 0;
    if (handle && handle != INVALID_HANDLE_VALUE)
        WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

int Fail(const std::string& why) {
    Write(STD_ERROR_HANDLE, "window_driver: " + why + "\n");
    return kNo;
}

int Usage() {
    Write(STD_ERROR_HANDLE,
          "usage: window_driver.exe wait-window <ms> | wait-gone <ms> | click <id> | enabled <id> |\n"
          "       wait-enabled <id> <0|1> <ms> | log <out-file|-> | wait-log-ends-with <text-file> <ms> |\n"
          "       hover <id> | shot <file.bmp> [window|about|screen] | click-shot <id> <file.bmp> [ms] |\n"
          "       about [ms] | escape\n");
    return kUsage;
}

bool Number(const std::wstring& text, long& value) {
    if (text.empty()) return false;
    wchar_t* end = nullptr;
    value = std::wcstol(text.c_str(), &end, 10);
    return end && *end == L'\0';
}

// The run buttons (1000, 1003) are disabled and show it on screen.
bool RunLookShows(const WindowDriver& window) {
    for (int id : {1000, 1003}) {
        if (!window.Control(id) || window.ControlEnabled(id) ||
            ScreenCapture::OfWindow(window.Control(id)).Count(kDisabledCaption) < kCaptionPixels)
            return false;
    }
    return true;
}

// Clicks button id and captures the window once the run it starts shows its disabled
// buttons, holding the window's thread still for the capture. False when the run ended (or
// timeoutMs passed) first.
bool ClickAndShoot(const WindowDriver& window, int id, const std::wstring& file, DWORD timeoutMs) {
    if (!window.PostClick(id)) return false;
    bool seenDisabled = false;
    const ULONGLONG start = GetTickCount64();
    while (GetTickCount64() - start < timeoutMs) {
        const bool disabled = !window.ControlEnabled(1000);
        if (!disabled && seenDisabled) return false;  // the run is over
        seenDisabled = seenDisabled || disabled;
        if (disabled) {
            FrozenThread frozen(window.ThreadId());
            if (RunLookShows(window)) return ScreenCapture::OfWindow(window.Handle()).SaveBmp(file);
        }
        Sleep(1);
    }
    return false;
}

WindowDriver UpdateWindow() { return WindowDriver(WaitForUpdateWindow(0, kFindMs)); }

HWND AboutBoxOf(const WindowDriver& window, DWORD timeoutMs) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window.Handle(), &processId);
    return WaitForWindowWithCaption(processId, kAboutCaption, window.Handle(), timeoutMs);
}

int Run(const std::vector<std::wstring>& args) {
    if (args.empty()) return Usage();
    const std::wstring& command = args[0];
    long a = 0, b = 0;

    if (command == L"wait-window" && args.size() == 2 && Number(args[1], a))
        return WaitForUpdateWindow(0, static_cast<DWORD>(a)) ? kDone : Fail("no update window");
    if (command == L"wait-gone" && args.size() == 2 && Number(args[1], a)) {
        WindowDriver window(FindUpdateWindow(0));
        return !window.Exists() || window.WaitUntilGone(static_cast<DWORD>(a)) ? kDone
                                                                                : Fail("the update window is still there");
    }

    static const wchar_t* const kWindowCommands[] = {L"click", L"enabled", L"wait-enabled", L"log",
                                                     L"wait-log-ends-with", L"hover", L"shot",
                                                     L"click-shot", L"about", L"escape"};
    bool known = false;
    for (const wchar_t* name : kWindowCommands) known = known || command == name;
    if (!known) return Usage();
    WindowDriver window = UpdateWindow();
    if (!window.Exists()) return Fail("no update window");

    if (command == L"click" && args.size() == 2 && Number(args[1], a))
        return window.PostClick(static_cast<int>(a)) ? kDone : Fail("no such button");
    if (command == L"enabled" && args.size() == 2 && Number(args[1], a)) {
        if (!window.Control(static_cast<int>(a))) return Fail("no such control");
        bool enabled = window.ControlEnabled(static_cast<int>(a));
        Write(STD_OUTPUT_HANDLE, enabled ? "1\n" : "0\n");
        return enabled ? kDone : kNo;
    }
    if (command == L"wait-enabled" && args.size() == 4 && Number(args[1], a) && Number(args[2], b)) {
        long ms = 0;
        if (!Number(args[3], ms)) return Usage();
        return window.WaitForControlEnabled(static_cast<int>(a), b != 0, static_cast<DWORD>(ms))
                   ? kDone
                   : Fail("the control did not reach that state");
    }
    if (command == L"log" && args.size() == 2) {
        bool answered = false;
        std::string text = ToUtf8(window.ControlText(1001, kDefaultWaitMs, &answered));
        if (!answered) return Fail("the window did not answer");
        if (args[1] == L"-") {
            Write(STD_OUTPUT_HANDLE, text);
            return kDone;
        }
        return WriteFileBytes(args[1], text) ? kDone : Fail("cannot write the file");
    }
    if (command == L"wait-log-ends-with" && args.size() == 3 && Number(args[2], a)) {
        std::string bytes = ReadFileBytes(args[1]);
        if (bytes.empty()) return Fail("cannot read the text file, or it is empty");
        return window.WaitForControlTextEnding(1001, WithCrLf(FromUtf8(bytes)), static_cast<DWORD>(a))
                   ? kDone
                   : Fail("the log does not end with that text");
    }
    if (command == L"hover" && args.size() == 2 && Number(args[1], a)) {
        if (a == 0) {
            WindowDriver::MovePointerAway();
            return kDone;
        }
        return window.MovePointerOver(static_cast<int>(a)) ? kDone : Fail("no such control");
    }
    if (command == L"shot" && (args.size() == 2 || args.size() == 3)) {
        const std::wstring what = args.size() == 3 ? args[2] : L"window";
        ScreenCapture shot = ScreenCapture::WholeScreen();
        if (what == L"window") {
            shot = ScreenCapture::OfWindow(window.Handle());
        } else if (what == L"about") {
            HWND about = AboutBoxOf(window, kFindMs);
            if (!about) return Fail("no About box");
            shot = ScreenCapture::OfWindow(about);
        } else if (what != L"screen") {
            return Usage();
        }
        return shot.SaveBmp(args[1]) ? kDone : Fail("cannot capture or write the picture");
    }
    if (command == L"click-shot" && (args.size() == 3 || args.size() == 4) && Number(args[1], a)) {
        if (args.size() == 4 && !Number(args[3], b)) return Usage();
        DWORD ms = args.size() == 4 ? static_cast<DWORD>(b) : kDefaultWaitMs;
        return ClickAndShoot(window, static_cast<int>(a), args[2], ms) ? kDone
                                                                       : Fail("the run was not caught on screen");
    }
    if (command == L"about" && args.size() <= 2) {
        if (args.size() == 2 && !Number(args[1], a)) return Usage();
        DWORD ms = args.size() == 2 ? static_cast<DWORD>(a) : kDefaultWaitMs;
        if (!AboutBoxOf(window, 0) && !window.PostSysCommand(kAboutCommand)) return Fail("cannot post the command");
        return AboutBoxOf(window, ms) ? kDone : Fail("the About box did not open");
    }
    if (command == L"escape" && args.size() == 1) {
        HWND about = AboutBoxOf(window, 0);
        return WindowDriver(about ? about : window.Handle()).PressEscape() ? kDone : Fail("cannot post the key");
    }
    return Usage();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args;
    for (int i = 1; argv && i < count; ++i) args.emplace_back(argv[i]);
    if (argv) LocalFree(argv);
    return Run(args);
}
