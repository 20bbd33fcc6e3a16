// A drawing context over an image of its own, filled with a background colour at
// creation; it is copied to other contexts in one block, and can be saved as PNG.
#pragma once

#include "gui/CDrawContext.h"

class COffscreenContext : public CDrawContext {
public:
    COffscreenContext(CFrame* frame, int32_t width, int32_t height, const CColor& background = kBlackCColor);
    ~COffscreenContext() override;

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    bool isValid() const { return graphics != nullptr; }

    // Copies this image, from srcOffset on, into dest at destRect.
    void copyFrom(CDrawContext* dest, const CRect& destRect, const CPoint& srcOffset = CPoint());
    // Copies src's image at srcRect into this image at destOffset.
    void copyTo(COffscreenContext* src, const CRect& srcRect, const CPoint& destOffset = CPoint());

    // The pixel at x, y (black outside the image).
    CColor getPixel(int32_t x, int32_t y);
    bool writePng(const char* path);

private:
    int32_t width;
    int32_t height;
    std::unique_ptr<PlatformImage> image;
};
