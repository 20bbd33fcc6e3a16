#include "WindowCapture.h"

#include "platform/win32/GdiImage.h"

#include <wincodec.h>

#include <cstdint>
#include <vector>

namespace {
template <class Interface>
struct Released {
    Interface* pointer = nullptr;
    ~Released()
    {
        if (pointer)
            pointer->Release();
    }
    Interface** operator&() { return &pointer; }
    Interface* operator->() const { return pointer; }
};

// Encodes 32-bit top-down BGR rows as PNG.
bool writePng(const void* pixels, int width, int height, const wchar_t* path)
{
    Released<IWICImagingFactory> factory;
    Released<IWICBitmap> bitmap;
    Released<IWICStream> stream;
    Released<IWICBitmapEncoder> encoder;
    Released<IWICBitmapFrameEncode> frame;
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
               reinterpret_cast<void**>(&factory)))
        && SUCCEEDED(factory->CreateBitmapFromMemory(UINT(width), UINT(height), GUID_WICPixelFormat32bppBGR, UINT(width) * 4,
            UINT(width * height * 4), static_cast<BYTE*>(const_cast<void*>(pixels)), &bitmap))
        && SUCCEEDED(factory->CreateStream(&stream)) && SUCCEEDED(stream->InitializeFromFilename(path, GENERIC_WRITE))
        && SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder))
        && SUCCEEDED(encoder->Initialize(stream.pointer, WICBitmapEncoderNoCache))
        && SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr))
        && SUCCEEDED(frame->WriteSource(bitmap.pointer, nullptr)) && SUCCEEDED(frame->Commit())
        && SUCCEEDED(encoder->Commit());
}
}  // namespace

bool saveWindowAsPng(HWND window, const wchar_t* path)
{
    RECT area{};
    GetClientRect(window, &area);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    std::unique_ptr<GdiImage> image = GdiImage::create(area.right, area.bottom);
    if (!image)
        return false;
    HDC screen = GetDC(nullptr);
    BitBlt(image->getDC(), 0, 0, area.right, area.bottom, screen, origin.x, origin.y, SRCCOPY);
    ReleaseDC(nullptr, screen);
    // The image's pixel words are the BGRX bytes the encoder reads.
    std::vector<uint32_t> pixels(size_t(area.right) * size_t(area.bottom));
    for (int y = 0; y < area.bottom; ++y)
        for (int x = 0; x < area.right; ++x)
            pixels[size_t(y) * size_t(area.right) + size_t(x)] = image->getPixel(x, y);
    const bool initialised = SUCCEEDED(CoInitialize(nullptr));
    const bool written = writePng(pixels.data(), area.right, area.bottom, path);
    if (initialised)
        CoUninitialize();
    return written;
}
