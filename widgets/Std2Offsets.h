// Two small settings of the Std2 owner-drawn buttons: where a glyph sits and
// the rectangle a caption is laid out in. Each tells its owner of every write
// through OnChange, so that the owner repaints.
//
// Thread contract: plain values of the owning widget; main thread with it.
#pragma once

#include "widgets/Canvas.h"

#include <functional>

// A glyph's top-left corner in button coordinates.
class TzcBmpOffset
{
public:
    TzcBmpOffset() = default;
    TzcBmpOffset(int left, int top) : FTop(top), FLeft(left) {}
    // Owned by its button: values are copied with Assign, never the handler.
    TzcBmpOffset(const TzcBmpOffset &) = delete;
    TzcBmpOffset &operator=(const TzcBmpOffset &) = delete;

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    // Each setter stores and then fires OnChange, also when the value stays.
    void SetLeft(int value);
    void SetTop(int value);
    // Both values, then OnChange once.
    void Assign(const TzcBmpOffset &source);

    std::function<void()> OnChange;

private:
    void Changed();

    int FTop = 0;
    int FLeft = 0;
};

// A caption's rectangle (Left, Top, Left + Width, Top + Height) in button
// coordinates.
class TzcTextSize
{
public:
    TzcTextSize() = default;
    TzcTextSize(int left, int top, int width, int height)
        : FWidth(width), FHeight(height), FTop(top), FLeft(left)
    {
    }
    TzcTextSize(const TzcTextSize &) = delete;
    TzcTextSize &operator=(const TzcTextSize &) = delete;

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // Each setter stores and then fires OnChange, also when the value stays.
    void SetLeft(int value);
    void SetTop(int value);
    void SetWidth(int value);
    void SetHeight(int value);
    // All four values, then OnChange once.
    void Assign(const TzcTextSize &source);
    // Right and bottom exclusive, as every canvas rectangle.
    widgets::TRect Rect() const { return {FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }

    std::function<void()> OnChange;

private:
    void Changed();

    int FWidth = 0;
    int FHeight = 0;
    int FTop = 0;
    int FLeft = 0;
};
