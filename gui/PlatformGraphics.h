// What drawing needs of the graphics system: solid fills on whole pixels, strokes for
// wide or dashed pens, text in the fonts of the font table, and images (bitmaps and
// offscreen surfaces) copied opaquely or without a transparent colour. Coordinates are
// device pixels; CDrawContext keeps the pen, the colours, the font and the offsets, and
// lays out text, so every implementation places the same pixels. platform/ implements it
// (Cairo on Linux, GDI on Windows).
#pragma once

#include "gui/CColor.h"
#include "gui/CRect.h"

#include <cstdint>
#include <memory>

class PlatformGraphics;
struct FontTableEntry;

// Pixels that can be drawn into and copied from: a bitmap or an offscreen surface.
class PlatformImage {
public:
    virtual ~PlatformImage() = default;
    virtual int32_t getWidth() const = 0;
    virtual int32_t getHeight() const = 0;
    // 0x00RRGGBB of a pixel inside the image.
    virtual uint32_t getPixel(int32_t x, int32_t y) = 0;
    // Replaces every pixel: width * height words 0x00RRGGBB, row after row.
    virtual void setPixels(const uint32_t* pixels) = 0;
    // A device drawing into this image; it must not outlive the image.
    virtual std::unique_ptr<PlatformGraphics> createGraphics() = 0;
};

struct FontMetrics {
    double ascent = 0;   // pixels above the baseline
    double descent = 0;  // pixels below it
};

class PlatformGraphics {
public:
    virtual ~PlatformGraphics() = default;

    // Fills the pixels of rect (right and bottom exclusive), aliased.
    virtual void fillRect(const CRect& rect, const CColor& color) = 0;
    // A pen `width` pixels wide along the pixel centres from `from` to `to`; dashed pens
    // alternate `width` pixels on and off. (One-pixel solid lines are filled pixel by pixel.)
    virtual void strokeLine(const CPoint& from, const CPoint& to, const CColor& color, int32_t width, bool dashed) = 0;

    virtual void setFont(const FontTableEntry& entry, int32_t pixelHeight, bool bold, bool italic) = 0;
    virtual FontMetrics getFontMetrics() = 0;
    // The advance width of the text in the current font, in pixels.
    virtual double getTextWidth(const char* text) = 0;
    // One line of text, its baseline starting at origin, drawn only inside clip.
    virtual void drawText(const char* text, const CPoint& origin, const CColor& color, const CRect& clip) = 0;

    // Copies the part of source that starts at sourceOrigin into dest (which lies inside
    // both images); with a transparent colour, pixels of exactly that colour are left out.
    virtual void drawImage(PlatformImage& source, const CRect& dest, const CPoint& sourceOrigin,
        const CColor* transparentColor) = 0;
};

// A new image of the size, black; null when it cannot be made.
std::unique_ptr<PlatformImage> createPlatformImage(int32_t width, int32_t height);
// The image of a resource of the plug-in's own module, or null (no such resource, or a
// platform whose images are all registered in code: gui/BitmapResources.h).
std::unique_ptr<PlatformImage> loadPlatformResourceImage(int32_t resourceId);
// Saves the image as a PNG file.
bool writePlatformImagePng(PlatformImage& image, const char* path);
