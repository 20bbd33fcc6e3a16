#include "gui/CBitmap.h"

#include "gui/BitmapResources.h"
#include "gui/CDrawContext.h"
#include "gui/DebugCounters.h"

#include <new>
#include <vector>

namespace {
// The image of a resource registered in code: literal pixels, or painted on load.
std::unique_ptr<PlatformImage> imageOfRegisteredResource(const BitmapResource& resource)
{
    std::unique_ptr<PlatformImage> image = createPlatformImage(resource.width, resource.height);
    if (!image)
        return nullptr;
    if (resource.pixels) {
        image->setPixels(resource.pixels);
        return image;
    }
    std::vector<uint32_t> pixels;
    try {
        pixels.assign(size_t(resource.width) * size_t(resource.height), 0xFFFFFFu);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    resource.render(pixels.data(), resource.width, resource.height);
    image->setPixels(pixels.data());
    return image;
}
}  // namespace

CBitmap::CBitmap(int32_t id) : resourceId(id)
{
    // Images registered in code come first (the skin on Linux, tests); then the module's own.
    const BitmapResource* resource = findBitmapResource(id);
    adopt(resource ? imageOfRegisteredResource(*resource) : loadPlatformResourceImage(id));
}

CBitmap::CBitmap(int32_t w, int32_t h)
{
    if (w <= 0 || h <= 0)
        return;
    std::unique_ptr<PlatformImage> blank = createPlatformImage(w, h);
    if (blank) {
        if (std::unique_ptr<PlatformGraphics> device = blank->createGraphics())
            device->fillRect(CRect(0, 0, w, h), kWhiteCColor);
    }
    adopt(std::move(blank));
}

void CBitmap::adopt(std::unique_ptr<PlatformImage> loaded)
{
    if (!loaded || loaded->getWidth() <= 0 || loaded->getHeight() <= 0)
        return;
    image = std::move(loaded);
    width = image->getWidth();
    height = image->getHeight();
    GuiDebugCounters& counters = guiDebugCounters();
    ++counters.bitmaps;
    counters.bitmapPixels += int64_t(width) * height;
}

CBitmap::~CBitmap()
{
    if (image) {
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

void CBitmap::draw(CDrawContext* context, const CRect& dest, const CPoint& offset)
{
    if (context && image)
        context->drawImage(*image, dest, offset);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& dest, const CPoint& offset)
{
    if (context && image)
        context->drawImage(*image, dest, offset, &transparentColor);
}
