#include "WindowCapture.h"

#include <wincodec.h>

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
    const int width = area.right, height = area.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP image = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    if (!image)
        return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(memory, image);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const bool CoInitialised = SUCCEEDED(CoInitialize(nullptr));
    const bool written = writePng(pixels, width, height, path);
    if (CoInitialised)
        CoUninitialize();
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DeleteObject(image);
    return written;
}
