// The one colour scheme of the program's windows: dark dialogs, grey static and log text,
// white text on the buttons' background.
#pragma once
#include <windows.h>

inline constexpr COLORREF kDialogBackground = RGB(36, 36, 36);
inline constexpr COLORREF kButtonBackground = RGB(70, 70, 70);
inline constexpr COLORREF kWhiteText = RGB(255, 255, 255);
inline constexpr COLORREF kGreyText = RGB(177, 177, 177);

// Sets the text colours of a control about to be drawn and returns its background brush:
// the dialog's brush for the dialog, static texts and edit boxes, the button brush for
// buttons, and fallback for any other kind. The background mode is left as it is.
HBRUSH ColourDarkControl(HDC dc, UINT kind, HBRUSH dialogBrush, HBRUSH buttonBrush, HBRUSH fallback);
