#include "WindowDriver.h"

#include "WaitUntil.h"

namespace {

struct Search {
    DWORD processId;
    bool (*matches)(HWND window, const Search& search);
    const std::wstring* caption;
    HWND owner;
    HWND found;
};

bool OfProcess(HWND window, DWORD processId) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    return processId == 0 || owner == processId;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    int length = GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? static_cast<size_t>(length) : 0);
}

bool IsUpdateWindow(HWND window, const Search&) {
    return ClassOf(window) == kDialogClass && !GetWindow(window, GW_OWNER) && GetDlgItem(window, 1001);
}

bool HasCaption(HWND window, const Search& search) {
    if (search.owner && GetWindow(window, GW_OWNER) != search.owner) return false;
    // A caption is read without a message to the window's thread, so a busy program does
    // not hold up the search.
    wchar_t text[512] = {};
    int length = GetWindowTextW(window, text, 512);
    return std::wstring(text, length > 0 ? static_cast<size_t>(length) : 0) == *search.caption;
}

BOOL CALLBACK Visit(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    if (!IsWindowVisible(window) || !OfProcess(window, search->processId) || !search->matches(window, *search))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND Find(Search search) {
    EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring TextOf(HWND window, DWORD timeoutMs, bool* answered) {
    if (answered) *answered = false;
    DWORD_PTR length = 0;
    if (!window || !SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeoutMs, &length)) return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                             timeoutMs, &copied))
        return {};
    text.resize(copied <= length ? copied : length);
    if (answered) *answered = true;
    return text;
}

void SendPointerTo(POINT screen) {
    SetCursorPos(screen.x, screen.y);
    // A move event as well, so that the window under the pointer hears of it.
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = (screen.x * 65535) / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = (screen.y * 65535) / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

}  // namespace

HWND FindUpdateWindow(DWORD processId) { return Find({processId, &IsUpdateWindow, nullptr, nullptr, nullptr}); }

HWND WaitForUpdateWindow(DWORD processId, DWORD timeoutMs) {
    HWND window = nullptr;
    WaitUntil([&] { return (window = FindUpdateWindow(processId)) != nullptr; }, timeoutMs);
    return window;
}

HWND FindWindowWithCaption(DWORD processId, const std::wstring& caption, HWND owner) {
    return Find({processId, &HasCaption, &caption, owner, nullptr});
}

HWND WaitForWindowWithCaption(DWORD processId, const std::wstring& caption, HWND owner, DWORD timeoutMs) {
    HWND window = nullptr;
    WaitUntil([&] { return (window = FindWindowWithCaption(processId, caption, owner)) != nullptr; }, timeoutMs);
    return window;
}

bool WindowDriver::Answers(DWORD timeoutMs) const {
    DWORD_PTR result = 0;
    return window_ && SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

std::wstring WindowDriver::Text(DWORD timeoutMs, bool* answered) const { return TextOf(window_, timeoutMs, answered); }

std::wstring WindowDriver::ControlText(int id, DWORD timeoutMs, bool* answered) const {
    return TextOf(Control(id), timeoutMs, answered);
}

bool WindowDriver::ControlEnabled(int id) const {
    HWND control = Control(id);
    return control && IsWindowEnabled(control);
}

bool WindowDriver::PostClick(int id) const {
    HWND control = Control(id);
    return control && PostMessageW(control, BM_CLICK, 0, 0);
}

bool WindowDriver::Click(int id, DWORD timeoutMs) const {
    HWND control = Control(id);
    DWORD_PTR result = 0;
    return control && SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

bool WindowDriver::PostSysCommand(WPARAM command) const {
    return window_ && PostMessageW(window_, WM_SYSCOMMAND, command, 0);
}

bool WindowDriver::PressEscape() const {
    if (!Exists()) return false;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND target = window_;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window_, nullptr), &info) && info.hwndFocus &&
        (info.hwndFocus == window_ || IsChild(window_, info.hwndFocus)))
        target = info.hwndFocus;
    const UINT scan = MapVirtualKeyW(VK_ESCAPE, MAPVK_VK_TO_VSC);
    return PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 1 | (scan << 16)) &&
           PostMessageW(target, WM_KEYUP, VK_ESCAPE, 1 | (scan << 16) | 0xC0000000u);
}

bool WindowDriver::MovePointerOver(int id) const {
    HWND control = Control(id);
    if (!control) return false;
    RECT r = ControlScreenRect(id);
    SendPointerTo({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    return true;
}

void WindowDriver::MovePointerAway() {
    SendPointerTo({GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2});
}

RECT WindowDriver::ScreenRect() const {
    RECT r{};
    if (window_) GetWindowRect(window_, &r);
    return r;
}

RECT WindowDriver::ControlScreenRect(int id) const {
    RECT r{};
    if (HWND control = Control(id)) GetWindowRect(control, &r);
    return r;
}

bool WindowDriver::WaitForControlText(int id, const std::wstring& text, DWORD timeoutMs) const {
    return WaitUntil([&] { return ControlText(id, timeoutMs) == text; }, timeoutMs);
}

bool WindowDriver::WaitForControlTextEnding(int id, const std::wstring& ending, DWORD timeoutMs) const {
    return WaitUntil(
        [&] {
            std::wstring text = ControlText(id, timeoutMs);
            return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
        },
        timeoutMs);
}

bool WindowDriver::WaitForControlEnabled(int id, bool enabled, DWORD timeoutMs, DWORD pollMs) const {
    return WaitUntil([&] { return Control(id) && ControlEnabled(id) == enabled; }, timeoutMs, pollMs);
}

bool WindowDriver::WaitUntilGone(DWORD timeoutMs) const {
    return WaitUntil([&] { return !Exists(); }, timeoutMs);
}
