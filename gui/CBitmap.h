// A reference-counted image: loaded from the built-in resources by id, or blank of a
// given size. Drawing with the transparent colour (white by default) leaves out every
// pixel of exactly that colour.
#pragma once

#include "gui/CColor.h"
#include "gui/CRect.h"
#include "gui/PlatformGraphics.h"

#include <cstdint>
#include <memory>

class CDrawContext;

class CBitmap {
public:
    // A resource that does not exist gives a bitmap of width and height 0 that draws nothing.
    explicit CBitmap(int32_t resourceId);
    CBitmap(int32_t width, int32_t height);
    virtual ~CBitmap();

    CBitmap(const CBitmap&) = delete;
    CBitmap& operator=(const CBitmap&) = delete;

    // Copies the rectangle's size from `offset` in the bitmap to `dest`.
    void draw(CDrawContext* context, const CRect& dest, const CPoint& offset = CPoint());
    void drawTransparent(CDrawContext* context, const CRect& dest, const CPoint& offset = CPoint());

    int32_t getWidth() const { return width; }
    int32_t getHeight() const { return height; }
    int32_t getResourceID() const { return resourceId; }
    bool isLoaded() const { return image != nullptr; }

    void setTransparentColor(const CColor& color) { transparentColor = color; }
    CColor getTransparentColor() const { return transparentColor; }

    void remember() { ++nbReference; }
    void forget();  // deletes the bitmap when the last reference goes
    int32_t getNbReference() const { return nbReference; }

private:
    void adopt(std::unique_ptr<PlatformImage> loaded);

    int32_t width = 0;
    int32_t height = 0;
    int32_t resourceId = 0;
    int32_t nbReference = 1;
    CColor transparentColor = kWhiteCColor;
    std::unique_ptr<PlatformImage> image;
};
