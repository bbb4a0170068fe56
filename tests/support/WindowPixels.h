// The client area of a window as the window draws it, read back into memory (PrintWindow
// into a 32-bit DIB), for checks on the colours that a control paints.
#pragma once
#include <windows.h>

#include <vector>

class WindowPixels {
public:
    // Captures on the calling thread; the window's thread must be serving messages or be it.
    explicit WindowPixels(HWND window);

    int Width() const { return width_; }
    int Height() const { return height_; }
    COLORREF At(int x, int y) const;
    // Pixels of exactly this colour, in the rectangle (whole image when omitted).
    int Count(COLORREF colour) const;
    int Count(COLORREF colour, const RECT& area) const;
    // The smallest rectangle holding every pixel of this colour (empty when there is none).
    RECT Bounds(COLORREF colour) const;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<COLORREF> pixels_;
};
