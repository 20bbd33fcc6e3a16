#include "gui/CBitmap.h"

#include "gui/BitmapResources.h"
#include "gui/CDrawContext.h"
#include "gui/DebugCounters.h"

#include <cairo.h>
#include <cstring>

CBitmap::CBitmap(int32_t id) : resourceId(id)
{
    const BitmapResource* resource = findBitmapResource(id);
    if (!resource)
        return;
    allocate(resource->width, resource->height);
    if (!image)
        return;
    unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    if (resource->render) {
        // Render into a packed buffer first so resources never depend on Cairo's stride.
        uint32_t* packed = new (std::nothrow) uint32_t[size_t(width) * size_t(height)];
        if (!packed) {
            cairo_surface_destroy(image);
            image = nullptr;
            width = height = 0;
            return;
        }
        std::memset(packed, 0xff, sizeof(uint32_t) * size_t(width) * size_t(height));
        resource->render(packed, width, height);
        for (int32_t y = 0; y < height; ++y)
            std::memcpy(data + size_t(y) * stride, packed + size_t(y) * width, sizeof(uint32_t) * width);
        delete[] packed;
    } else {
        for (int32_t y = 0; y < height; ++y)
            std::memcpy(data + size_t(y) * stride, resource->pixels + size_t(y) * width, sizeof(uint32_t) * width);
    }
    cairo_surface_mark_dirty(image);
}

CBitmap::CBitmap(int32_t w, int32_t h)
{
    allocate(w, h);
    if (image) {
        unsigned char* data = cairo_image_surface_get_data(image);
        std::memset(data, 0xff, size_t(cairo_image_surface_get_stride(image)) * size_t(height));
        cairo_surface_mark_dirty(image);
    }
}

void CBitmap::allocate(int32_t w, int32_t h)
{
    if (w <= 0 || h <= 0)
        return;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return;
    }
    cairo_surface_flush(surface);
    image = surface;
    width = w;
    height = h;
    GuiDebugCounters& counters = guiDebugCounters();
    ++counters.bitmaps;
    counters.bitmapPixels += int64_t(w) * h;
}

CBitmap::~CBitmap()
{
    if (masked)
        cairo_surface_destroy(masked);
    if (image) {
        cairo_surface_destroy(image);
        GuiDebugCounters& counters = guiDebugCounters();
        --counters.bitmaps;
        counters.bitmapPixels -= int64_t(width) * height;
    }
}

void CBitmap::forget()
{
    if (nbReference > 0 && --nbReference == 0)
        delete this;
}

void CBitmap::setTransparentColor(const CColor& color)
{
    if (color == transparentColor)
        return;
    transparentColor = color;
    markChanged();
}

void CBitmap::markChanged()
{
    if (masked) {
        cairo_surface_destroy(masked);
        masked = nullptr;
    }
}

cairo_surface_t* CBitmap::transparentImage()
{
    if (masked || !image)
        return masked;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    cairo_surface_flush(image);
    cairo_surface_flush(surface);
    const unsigned char* src = cairo_image_surface_get_data(image);
    unsigned char* dst = cairo_image_surface_get_data(surface);
    const int srcStride = cairo_image_surface_get_stride(image);
    const int dstStride = cairo_image_surface_get_stride(surface);
    const uint32_t key = transparentColor.rgb();
    for (int32_t y = 0; y < height; ++y) {
        auto* in = reinterpret_cast<const uint32_t*>(src + size_t(y) * srcStride);
        auto* out = reinterpret_cast<uint32_t*>(dst + size_t(y) * dstStride);
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t rgb = in[x] & 0xffffffu;
            // Opaque pixels are their own premultiplied value; the keyed colour becomes fully clear.
            out[x] = rgb == key ? 0u : (0xff000000u | rgb);
        }
    }
    cairo_surface_mark_dirty(surface);
    masked = surface;
    return masked;
}

void CBitmap::blit(CDrawContext* context, cairo_surface_t* source, const CRect& dest, const CPoint& offset)
{
    if (!context || !source || dest.isEmpty())
        return;
    cairo_t* cr = context->getCairo();
    if (!cr)
        return;
    const CPoint shift = context->getOffset();
    cairo_save(cr);
    cairo_set_source_surface(cr, source, double(dest.left + shift.h - offset.h), double(dest.top + shift.v - offset.v));
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, dest.left + shift.h, dest.top + shift.v, dest.width(), dest.height());
    cairo_clip(cr);
    // Only the part of the bitmap that exists is copied; the rest of dest is left alone.
    cairo_rectangle(cr, dest.left + shift.h - offset.h, dest.top + shift.v - offset.v, width, height);
    cairo_fill(cr);
    cairo_restore(cr);
}

void CBitmap::draw(CDrawContext* context, const CRect& dest, const CPoint& offset)
{
    blit(context, image, dest, offset);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& dest, const CPoint& offset)
{
    blit(context, transparentImage(), dest, offset);
}
