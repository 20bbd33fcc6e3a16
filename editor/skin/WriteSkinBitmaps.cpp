// Writes the skin images as 24-bit BMP files, for the Windows build's bitmap resources:
//   write-skin-bitmaps DIRECTORY   ->  skin_1.bmp skin_100.bmp skin_101.bmp skin_102.bmp
// A program for the build machine: it draws with the same skin art as the Linux editor,
// so both platforms show the same pixels and the DLL needs no Cairo.
#include "editor/skin/SkinArt.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

void put16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// Uncompressed, bottom-up rows padded to four bytes, with the 40-byte info header.
bool writeBmp(cairo_surface_t* image, const std::string& path)
{
    cairo_surface_flush(image);
    const int width = cairo_image_surface_get_width(image);
    const int height = cairo_image_surface_get_height(image);
    const int stride = cairo_image_surface_get_stride(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    const uint32_t rowBytes = (uint32_t(width) * 3 + 3) & ~3u;
    const uint32_t pixelBytes = rowBytes * uint32_t(height);

    std::vector<uint8_t> file;
    file.push_back('B');
    file.push_back('M');
    put32(file, 54 + pixelBytes);
    put32(file, 0);
    put32(file, 54);
    put32(file, 40);
    put32(file, uint32_t(width));
    put32(file, uint32_t(height));
    put16(file, 1);   // planes
    put16(file, 24);  // bits per pixel
    put32(file, 0);   // BI_RGB
    put32(file, pixelBytes);
    put32(file, 2835);  // 72 dpi
    put32(file, 2835);
    put32(file, 0);
    put32(file, 0);
    for (int y = height - 1; y >= 0; --y) {
        const auto* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
        for (int x = 0; x < width; ++x) {
            file.push_back(uint8_t(row[x]));
            file.push_back(uint8_t(row[x] >> 8));
            file.push_back(uint8_t(row[x] >> 16));
        }
        for (uint32_t pad = uint32_t(width) * 3; pad < rowBytes; ++pad)
            file.push_back(0);
    }
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    const bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIRECTORY\n", argv[0]);
        return 2;
    }
    for (int id : {skin::kBackgroundId, skin::kKnobHandleId, skin::kKnobBackgroundId, skin::kSelectorStripId}) {
        cairo_surface_t* image = skin::createSkinImage(id);
        const std::string path = std::string(argv[1]) + "/skin_" + std::to_string(id) + ".bmp";
        const bool written = image && writeBmp(image, path);
        if (image)
            cairo_surface_destroy(image);
        if (!written) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], path.c_str());
            return 1;
        }
    }
    return 0;
}
