// An image in memory as a Cairo RGB24 surface: bitmaps, offscreen contexts and the
// X11 frame's back buffer.
#pragma once

#include "gui/PlatformGraphics.h"

typedef struct _cairo_surface cairo_surface_t;

class CairoImage : public PlatformImage {
public:
    // Null when Cairo cannot make the surface.
    static std::unique_ptr<CairoImage> create(int32_t width, int32_t height);
    ~CairoImage() override;

    int32_t getWidth() const override { return width; }
    int32_t getHeight() const override { return height; }
    uint32_t getPixel(int32_t x, int32_t y) override;
    void setPixels(const uint32_t* pixels) override;
    std::unique_ptr<PlatformGraphics> createGraphics() override;

    cairo_surface_t* getSurface() const { return surface; }
    // An ARGB32 copy in which the key colour is fully clear; kept until the key changes,
    // new pixels are set or a device is made to draw into the image.
    cairo_surface_t* maskedSurface(const CColor& key);

private:
    CairoImage(cairo_surface_t* surface, int32_t width, int32_t height);

    cairo_surface_t* surface;
    int32_t width;
    int32_t height;
    cairo_surface_t* masked = nullptr;
    uint32_t maskedKey = 0;

    void dropMasked();
};
