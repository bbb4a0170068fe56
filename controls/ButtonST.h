// The push button of every window: drawn by itself in the dark look (grey vertical gradient,
// thin grey bevel, teal caption that turns cyan under the pointer).
#pragma once
#include <windows.h>

#include <string>

#include "framework/Button.h"

class CButtonST : public CButton {
public:
    CButtonST();
    ~CButtonST() override;

    bool PreTranslateMessage(MSG* msg) override;
    bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

protected:
    void PreSubclassWindow() override;
    virtual void DrawItem(const DRAWITEMSTRUCT& item);

    virtual void DrawButtonFace(HDC dc, const RECT& rect);
    virtual void DrawButtonFrame(HDC dc, const RECT& rect);
    // Image hooks; the buttons of this program hold no icon or bitmap, so DrawItem never
    // calls them and they draw nothing.
    virtual void DrawIconImage(HDC dc, const RECT& rect);
    virtual void DrawBitmapImage(HDC dc, const RECT& rect);
    virtual void DrawButtonText(HDC dc, const std::wstring& text, RECT rect);

private:
    void OnMouseMove(WPARAM keys, LPARAM point);
    void OnDisabled();
    void LeaveHot();

    bool m_bHot = false;
    bool m_bDown = false;
    bool m_bHasFocus = false;
    bool m_bGrayed = false;
    bool m_bDefaultButton = false;
    COLORREF m_crTextHotDown;
    COLORREF m_crTextNormal;
    COLORREF m_crTextFocus;
    COLORREF m_crTextHot;
};
