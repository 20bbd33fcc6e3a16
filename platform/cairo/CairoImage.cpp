#include "platform/cairo/CairoImage.h"

#include "platform/cairo/CairoGraphics.h"

#include <cairo.h>

std::unique_ptr<PlatformImage> createPlatformImage(int32_t width, int32_t height)
{
    return CairoImage::create(width, height);
}

std::unique_ptr<PlatformImage> loadPlatformResourceImage(int32_t)
{
    return nullptr;  // the shared object carries no native resources: images are registered in code
}

bool writePlatformImagePng(PlatformImage& image, const char* path)
{
    cairo_surface_t* surface = static_cast<CairoImage&>(image).getSurface();
    cairo_surface_flush(surface);
    return cairo_surface_write_to_png(surface, path) == CAIRO_STATUS_SUCCESS;
}

std::unique_ptr<CairoImage> CairoImage::create(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return std::unique_ptr<CairoImage>(new CairoImage(surface, width, height));
}

CairoImage::CairoImage(cairo_surface_t* surface_, int32_t width_, int32_t height_)
    : surface(surface_), width(width_), height(height_)
{
}

CairoImage::~CairoImage()
{
    dropMasked();
    cairo_surface_destroy(surface);
}

void CairoImage::dropMasked()
{
    if (masked) {
        cairo_surface_destroy(masked);
        masked = nullptr;
    }
}

uint32_t CairoImage::getPixel(int32_t x, int32_t y)
{
    cairo_surface_flush(surface);
    const unsigned char* row = cairo_image_surface_get_data(surface) + size_t(y) * size_t(cairo_image_surface_get_stride(surface));
    return reinterpret_cast<const uint32_t*>(row)[x] & 0xFFFFFFu;
}

void CairoImage::setPixels(const uint32_t* pixels)
{
    dropMasked();
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int32_t y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + size_t(y) * size_t(stride));
        for (int32_t x = 0; x < width; ++x)
            row[x] = pixels[size_t(y) * size_t(width) + size_t(x)] & 0xFFFFFFu;
    }
    cairo_surface_mark_dirty(surface);
}

std::unique_ptr<PlatformGraphics> CairoImage::createGraphics()
{
    dropMasked();
    return CairoGraphics::create(surface);
}

cairo_surface_t* CairoImage::maskedSurface(const CColor& key)
{
    if (masked && maskedKey == key.rgb())
        return masked;
    dropMasked();
    cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(copy) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(copy);
        return nullptr;
    }
    cairo_surface_flush(surface);
    cairo_surface_flush(copy);
    const unsigned char* src = cairo_image_surface_get_data(surface);
    unsigned char* dst = cairo_image_surface_get_data(copy);
    const int srcStride = cairo_image_surface_get_stride(surface);
    const int dstStride = cairo_image_surface_get_stride(copy);
    for (int32_t y = 0; y < height; ++y) {
        auto* in = reinterpret_cast<const uint32_t*>(src + size_t(y) * size_t(srcStride));
        auto* out = reinterpret_cast<uint32_t*>(dst + size_t(y) * size_t(dstStride));
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t rgb = in[x] & 0xFFFFFFu;
            // Opaque pixels are their own premultiplied value; the keyed colour becomes fully clear.
            out[x] = rgb == key.rgb() ? 0u : (0xFF000000u | rgb);
        }
    }
    cairo_surface_mark_dirty(copy);
    masked = copy;
    maskedKey = key.rgb();
    return masked;
}
