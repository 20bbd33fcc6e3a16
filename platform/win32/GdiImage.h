// An image in memory for GDI: a 32-bit top-down DIB section selected into a memory
// device context, so that GDI draws into it and its pixels can be read and written
// directly (0x00RRGGBB words, as everywhere in the framework). Bitmaps, offscreen
// contexts and the frame's back buffer are such images.
#pragma once

#include "gui/PlatformGraphics.h"

#include <windows.h>

class GdiImage : public PlatformImage {
public:
    // Null when GDI cannot make the bitmap or its device context.
    static std::unique_ptr<GdiImage> create(int32_t width, int32_t height);
    ~GdiImage() override;

    int32_t getWidth() const override { return width; }
    int32_t getHeight() const override { return height; }
    uint32_t getPixel(int32_t x, int32_t y) override;
    void setPixels(const uint32_t* pixels) override;
    std::unique_ptr<PlatformGraphics> createGraphics() override;

    HDC getDC() const { return dc; }

private:
    GdiImage(HDC dc, HBITMAP bitmap, uint32_t* bits, int32_t width, int32_t height);

    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previousBitmap;
    uint32_t* bits;
    int32_t width;
    int32_t height;
};
