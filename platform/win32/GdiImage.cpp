#include "platform/win32/GdiImage.h"

#include "platform/ModuleHandle.h"
#include "platform/win32/GdiGraphics.h"

#include <cstring>

std::unique_ptr<PlatformImage> createPlatformImage(int32_t width, int32_t height)
{
    return GdiImage::create(width, height);
}

std::unique_ptr<PlatformImage> loadPlatformResourceImage(int32_t resourceId)
{
    // The skin's bitmap resources are 24-bit; copied into a 32-bit image they draw and
    // read back like every other image.
    auto module = static_cast<HINSTANCE>(pluginModuleHandle());
    if (!module)
        return nullptr;  // a null module would mean the system's own bitmaps
    HBITMAP resource = static_cast<HBITMAP>(
        LoadImageA(module, MAKEINTRESOURCEA(resourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!resource)
        return nullptr;
    std::unique_ptr<GdiImage> image;
    BITMAP info{};
    if (GetObjectA(resource, sizeof info, &info) == sizeof info)
        image = GdiImage::create(info.bmWidth, info.bmHeight);
    if (image) {
        HDC source = CreateCompatibleDC(image->getDC());
        HGDIOBJ previous = SelectObject(source, resource);
        BitBlt(image->getDC(), 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
        DeleteDC(source);
        GdiFlush();
    }
    DeleteObject(resource);
    return image;
}

bool writePlatformImagePng(PlatformImage&, const char*)
{
    return false;  // no PNG encoder on Windows: screenshots are made on Linux
}

std::unique_ptr<GdiImage> GdiImage::create(int32_t width, int32_t height)
{
    if (width <= 0 || height <= 0)
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows, like the framework's pixel words
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap)
        return nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) {
        DeleteObject(bitmap);
        return nullptr;
    }
    std::memset(bits, 0, size_t(width) * size_t(height) * 4);
    return std::unique_ptr<GdiImage>(new GdiImage(dc, bitmap, static_cast<uint32_t*>(bits), width, height));
}

GdiImage::GdiImage(HDC dc_, HBITMAP bitmap_, uint32_t* bits_, int32_t width_, int32_t height_)
    : dc(dc_), bitmap(bitmap_), previousBitmap(SelectObject(dc_, bitmap_)), bits(bits_), width(width_), height(height_)
{
}

GdiImage::~GdiImage()
{
    SelectObject(dc, previousBitmap);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

uint32_t GdiImage::getPixel(int32_t x, int32_t y)
{
    GdiFlush();  // GDI may still be drawing into the bits
    return bits[size_t(y) * size_t(width) + size_t(x)] & 0xFFFFFFu;
}

void GdiImage::setPixels(const uint32_t* pixels)
{
    GdiFlush();
    for (size_t i = 0, n = size_t(width) * size_t(height); i < n; ++i)
        bits[i] = pixels[i] & 0xFFFFFFu;
}

std::unique_ptr<PlatformGraphics> GdiImage::createGraphics()
{
    return std::make_unique<GdiGraphics>(dc);
}
