// Integer geometry of the view framework: points and rectangles in pixels.
// Rectangles hold right and bottom as exclusive edges for sizes (width = right - left).
#pragma once

#include <algorithm>
#include <cstdint>

struct CPoint {
    int32_t h = 0;  // x
    int32_t v = 0;  // y

    constexpr CPoint() = default;
    constexpr CPoint(int32_t x, int32_t y) : h(x), v(y) {}

    constexpr CPoint& offset(int32_t dx, int32_t dy) { h += dx; v += dy; return *this; }
    constexpr bool operator==(const CPoint&) const = default;
};

struct CRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    constexpr CRect() = default;
    constexpr CRect(int32_t l, int32_t t, int32_t r, int32_t b) : left(l), top(t), right(r), bottom(b) {}

    constexpr int32_t width() const { return right - left; }
    constexpr int32_t height() const { return bottom - top; }
    constexpr CPoint topLeft() const { return {left, top}; }

    constexpr CRect& offset(int32_t dx, int32_t dy)
    {
        left += dx; right += dx; top += dy; bottom += dy;
        return *this;
    }
    constexpr CRect& moveTo(int32_t x, int32_t y) { return offset(x - left, y - top); }

    // Inside with the right and bottom edges excluded, as a pixel area.
    constexpr bool pointInside(const CPoint& p) const
    {
        return p.h >= left && p.h < right && p.v >= top && p.v < bottom;
    }
    // Inside with all four edges included, as the frame's hit test wants.
    constexpr bool pointInsideInclusive(const CPoint& p) const
    {
        return p.h >= left && p.h <= right && p.v >= top && p.v <= bottom;
    }
    // Overlap with touching edges counting as overlap.
    constexpr bool overlaps(const CRect& r) const
    {
        return !(right < r.left || left > r.right || bottom < r.top || top > r.bottom);
    }
    constexpr CRect intersection(const CRect& r) const
    {
        CRect out(std::max(left, r.left), std::max(top, r.top), std::min(right, r.right), std::min(bottom, r.bottom));
        if (out.right < out.left)
            out.right = out.left;
        if (out.bottom < out.top)
            out.bottom = out.top;
        return out;
    }
    constexpr bool isEmpty() const { return right <= left || bottom <= top; }
    constexpr bool operator==(const CRect&) const = default;
};
