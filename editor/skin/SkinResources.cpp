#include "editor/skin/SkinResources.h"

#include "editor/skin/SkinArt.h"
#include "gui/BitmapResources.h"

#include <cairo.h>
#include <cstring>
#include <mutex>

namespace skin {
namespace {

// Copies the painted RGB24 image into the framework's packed 0x00RRGGBB buffer.
void renderInto(int id, uint32_t* pixels, int32_t width, int32_t height)
{
    cairo_surface_t* image = createSkinImage(id);
    if (!image)
        return;
    cairo_surface_flush(image);
    const int w = cairo_image_surface_get_width(image);
    const int h = cairo_image_surface_get_height(image);
    const int stride = cairo_image_surface_get_stride(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    if (w == width && h == height && data) {
        for (int32_t y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
            for (int32_t x = 0; x < width; ++x)
                pixels[size_t(y) * size_t(width) + size_t(x)] = row[x] & 0xFFFFFFu;
        }
    }
    cairo_surface_destroy(image);
}

template <int Id>
void render(uint32_t* pixels, int32_t width, int32_t height)
{
    renderInto(Id, pixels, width, height);
}

}  // namespace

void registerSkinResources()
{
    static std::once_flag once;
    std::call_once(once, [] {
        registerBitmapResource(kBackgroundId, BitmapResource{640, 420, nullptr, render<kBackgroundId>});
        registerBitmapResource(kKnobHandleId, BitmapResource{5, 5, nullptr, render<kKnobHandleId>});
        registerBitmapResource(kKnobBackgroundId, BitmapResource{30, 30, nullptr, render<kKnobBackgroundId>});
        registerBitmapResource(kSelectorStripId,
            BitmapResource{617, kSelectorSegments * kSelectorImageHeight, nullptr, render<kSelectorStripId>});
    });
}

}  // namespace skin
