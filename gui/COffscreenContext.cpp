#include "gui/COffscreenContext.h"

#include "gui/DebugCounters.h"

COffscreenContext::COffscreenContext(CFrame* frame_, int32_t w, int32_t h, const CColor& background)
    : CDrawContext(frame_, nullptr), width(w > 0 ? w : 0), height(h > 0 ? h : 0)
{
    image = createPlatformImage(width > 0 ? width : 1, height > 0 ? height : 1);
    if (image) {
        setGraphics(image->createGraphics());
        if (graphics)
            graphics->fillRect(CRect(0, 0, image->getWidth(), image->getHeight()), background);
    }
    ++guiDebugCounters().offscreenContexts;
}

COffscreenContext::~COffscreenContext()
{
    graphics.reset();  // the device draws into the image: it goes first
    --guiDebugCounters().offscreenContexts;
}

void COffscreenContext::copyFrom(CDrawContext* dest, const CRect& destRect, const CPoint& srcOffset)
{
    if (dest && image)
        dest->drawImage(*image, destRect, srcOffset);
}

void COffscreenContext::copyTo(COffscreenContext* src, const CRect& srcRect, const CPoint& destOffset)
{
    if (!src || !src->image || srcRect.isEmpty())
        return;
    drawImage(*src->image, CRect(destOffset.h, destOffset.v, destOffset.h + srcRect.width(), destOffset.v + srcRect.height()),
        srcRect.topLeft());
}

CColor COffscreenContext::getPixel(int32_t x, int32_t y)
{
    if (!image || x < 0 || y < 0 || x >= width || y >= height)
        return kBlackCColor;
    const uint32_t pixel = image->getPixel(x, y);
    return CColor{uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel), 0};
}

bool COffscreenContext::writePng(const char* path)
{
    return image && path && writePlatformImagePng(*image, path);
}
