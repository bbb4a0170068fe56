// A rectangle of the screen as it shows now, read from the screen's device context into a
// 32-bit DIB: for pixel checks on windows of another program, and for screenshots (.bmp).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class ScreenCapture {
public:
    // area in screen coordinates; the part outside the screen reads black.
    explicit ScreenCapture(const RECT& area);
    static ScreenCapture WholeScreen();
    // The window's rectangle with its frame (GetWindowRect).
    static ScreenCapture OfWindow(HWND window);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Origin of the capture in screen coordinates.
    POINT Origin() const { return origin_; }
    bool Empty() const { return pixels_.empty(); }

    // Pixel at capture coordinates; CLR_INVALID outside.
    COLORREF At(int x, int y) const;
    // Pixels of exactly this colour, in the whole capture or in an area given in screen coordinates.
    int Count(COLORREF colour) const;
    int CountInScreenArea(COLORREF colour, const RECT& screenArea) const;

    // Writes a 24-bit bottom-up .bmp, creating its folder. False when nothing could be written.
    bool SaveBmp(const std::wstring& path) const;

private:
    int width_ = 0;
    int height_ = 0;
    POINT origin_{};
    std::vector<COLORREF> pixels_;  // top-down rows
};

// The folder where tests put their screenshots: "screenshots\" in the build tree, beside the
// folder of the test programs. Created when missing; ends with a backslash.
std::wstring ScreenshotFolder();
