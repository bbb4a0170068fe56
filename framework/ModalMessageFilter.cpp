#include "framework/ModalMessageFilter.h"

#include <algorithm>
#include <vector>

#include "framework/Dialog.h"

namespace {

struct FilterState {
    HHOOK hook = nullptr;
    std::vector<CDialog*> dialogs;  // innermost last
};
thread_local FilterState t_state;

LRESULT CALLBACK FilterProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX && ModalMessageFilter::PreTranslate(reinterpret_cast<MSG*>(lParam)))
        return 1;
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

bool Contains(HWND dialog, HWND window) {
    return dialog && (window == dialog || ::IsChild(dialog, window));
}

}  // namespace

ModalMessageFilter::ModalMessageFilter(CDialog& dialog) : dialog_(dialog) {
    if (t_state.dialogs.empty())
        t_state.hook = ::SetWindowsHookExW(WH_MSGFILTER, &FilterProc, nullptr, ::GetCurrentThreadId());
    t_state.dialogs.push_back(&dialog_);
}

ModalMessageFilter::~ModalMessageFilter() {
    auto& dialogs = t_state.dialogs;
    auto it = std::find(dialogs.rbegin(), dialogs.rend(), &dialog_);
    if (it != dialogs.rend()) dialogs.erase(std::next(it).base());
    if (dialogs.empty() && t_state.hook) {
        ::UnhookWindowsHookEx(t_state.hook);
        t_state.hook = nullptr;
    }
}

bool ModalMessageFilter::PreTranslate(MSG* msg) {
    if (!msg || !msg->hwnd) return false;
    const auto& dialogs = t_state.dialogs;
    for (auto it = dialogs.rbegin(); it != dialogs.rend(); ++it) {
        CDialog* dialog = *it;
        if (!Contains(dialog->m_hWnd, msg->hwnd)) continue;
        for (HWND w = msg->hwnd; w && w != dialog->m_hWnd; w = ::GetParent(w)) {
            if (CWnd* control = CWnd::FromHandle(w); control && control->PreTranslateMessage(msg))
                return true;
        }
        return dialog->PreTranslateMessage(msg);
    }
    return false;
}
