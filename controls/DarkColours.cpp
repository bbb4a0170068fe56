#include "controls/DarkColours.h"

HBRUSH ColourDarkControl(HDC dc, UINT kind, HBRUSH dialogBrush, HBRUSH buttonBrush, HBRUSH fallback) {
    switch (kind) {
    case CTLCOLOR_EDIT:
    case CTLCOLOR_STATIC:
        SetTextColor(dc, kGreyText);
        SetBkColor(dc, kDialogBackground);
        return dialogBrush;
    case CTLCOLOR_BTN:
        SetTextColor(dc, kWhiteText);
        SetBkColor(dc, kButtonBackground);
        return buttonBrush;
    case CTLCOLOR_DLG:
        SetTextColor(dc, kWhiteText);
        SetBkColor(dc, kDialogBackground);
        return dialogBrush;
    default:
        return fallback;
    }
}
