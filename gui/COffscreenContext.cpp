#include "gui/COffscreenContext.h"

#include "gui/DebugCounters.h"

#include <cairo.h>

cairo_surface_t* COffscreenContext::createImage(int32_t w, int32_t h)
{
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w > 0 ? w : 1, h > 0 ? h : 1);
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(image);
        return nullptr;
    }
    return image;
}

COffscreenContext::COffscreenContext(CFrame* frame_, int32_t w, int32_t h, const CColor& background)
    : CDrawContext(frame_, nullptr), width(w > 0 ? w : 0), height(h > 0 ? h : 0)
{
    surface = createImage(width, height);
    if (surface) {
        cr = cairo_create(surface);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        setFont(0);
        cairo_set_source_rgb(cr, background.red / 255.0, background.green / 255.0, background.blue / 255.0);
        cairo_paint(cr);
    }
    ++guiDebugCounters().offscreenContexts;
}

COffscreenContext::~COffscreenContext()
{
    --guiDebugCounters().offscreenContexts;
}

void COffscreenContext::copyFrom(CDrawContext* dest, const CRect& destRect, const CPoint& srcOffset)
{
    if (!dest || !dest->getCairo() || !surface || destRect.isEmpty())
        return;
    cairo_t* target = dest->getCairo();
    const CPoint shift = dest->getOffset();
    cairo_surface_flush(surface);
    cairo_save(target);
    cairo_set_operator(target, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(target, surface, destRect.left + shift.h - srcOffset.h, destRect.top + shift.v - srcOffset.v);
    cairo_pattern_set_filter(cairo_get_source(target), CAIRO_FILTER_NEAREST);
    cairo_rectangle(target, destRect.left + shift.h, destRect.top + shift.v, destRect.width(), destRect.height());
    cairo_fill(target);
    cairo_restore(target);
}

void COffscreenContext::copyTo(CDrawContext* src, const CRect& srcRect, const CPoint& destOffset)
{
    if (!src || !src->getSurface() || !cr || srcRect.isEmpty())
        return;
    cairo_surface_flush(src->getSurface());
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, src->getSurface(), destOffset.h - srcRect.left, destOffset.v - srcRect.top);
    cairo_rectangle(cr, destOffset.h, destOffset.v, srcRect.width(), srcRect.height());
    cairo_fill(cr);
    cairo_restore(cr);
}

CColor COffscreenContext::getPixel(int32_t x, int32_t y)
{
    if (!surface || x < 0 || y < 0 || x >= width || y >= height)
        return kBlackCColor;
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const uint32_t pixel = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride)[x];
    return CColor{uint8_t(pixel >> 16), uint8_t(pixel >> 8), uint8_t(pixel), 0};
}

bool COffscreenContext::writePng(const char* path)
{
    if (!surface || !path)
        return false;
    cairo_surface_flush(surface);
    return cairo_surface_write_to_png(surface, path) == CAIRO_STATUS_SUCCESS;
}
