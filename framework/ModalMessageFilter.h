// PreTranslateMessage for modal dialogs. While an object of this class lives, the modal
// loop's message filter (WH_MSGFILTER, MSGF_DIALOGBOX) offers each message aimed at the
// dialog or one of its bound controls to their PreTranslateMessage before it is processed.
// Nested modal dialogs each hold one; the thread has one hook while any of them runs.
#pragma once
#include <windows.h>

class CDialog;

class ModalMessageFilter {
public:
    explicit ModalMessageFilter(CDialog& dialog);
    ~ModalMessageFilter();
    ModalMessageFilter(const ModalMessageFilter&) = delete;
    ModalMessageFilter& operator=(const ModalMessageFilter&) = delete;

    // Offers msg to the innermost running dialog that contains its window: first to the
    // bound controls from the target up, then to the dialog. True: consumed.
    static bool PreTranslate(MSG* msg);

private:
    CDialog& dialog_;
};
