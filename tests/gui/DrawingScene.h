// One scene of every drawing primitive whose pixels are exact on every platform (no
// text, no wide or dashed pens): fills, outlines, one-pixel lines in all directions, a
// bitmap copied opaquely and without its transparent colour, offscreen copies both
// ways. Drawn through the platform's graphics, its pixels' fingerprint must be the one
// the Cairo implementation gives; the Windows tests hold GDI to the same value.
#pragma once

#include "gui/BitmapResources.h"
#include "gui/CBitmap.h"
#include "gui/COffscreenContext.h"

#include <cstdint>

namespace drawing_scene {

inline constexpr int32_t kWidth = 64;
inline constexpr int32_t kHeight = 48;
inline constexpr int32_t kSpriteId = 9301;
inline constexpr uint64_t kFingerprint = 14434118674325780739ull;  // as Cairo draws it

// 6 x 4: a diagonal of white (the transparent colour) across blue and orange halves.
inline void paintSprite(uint32_t* pixels, int32_t width, int32_t height)
{
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            pixels[y * width + x] = x == y ? 0xFFFFFF : (x < width / 2 ? 0x2040C0 : 0xF08020);
}

inline void draw(COffscreenContext& target)
{
    registerBitmapResource(kSpriteId, BitmapResource{6, 4, nullptr, paintSprite});
    target.setFillColor(CColor{30, 60, 90, 0});
    target.fillRect(CRect(-1, -1, kWidth, kHeight));
    target.setFillColor(CColor{200, 10, 10, 0});
    target.fillRect(CRect(3, 4, 20, 15));
    target.setFrameColor(CColor{10, 220, 10, 0});
    target.drawRect(CRect(22, 2, 40, 12));
    target.setFrameColor(CColor{250, 250, 0, 0});
    const CPoint ends[] = {{60, 20}, {45, 45}, {30, 47}, {5, 40}, {2, 20}, {10, 18}, {33, 25}, {50, 16}};
    for (const CPoint& end : ends) {
        target.moveTo(CPoint(32, 30));
        target.lineTo(end);
    }
    CBitmap* sprite = new CBitmap(kSpriteId);
    sprite->draw(&target, CRect(42, 2, 48, 6));
    sprite->drawTransparent(&target, CRect(50, 2, 56, 6));
    sprite->drawTransparent(&target, CRect(42, 8, 46, 11), CPoint(2, 1));  // part of it
    sprite->forget();
    unregisterBitmapResource(kSpriteId);

    COffscreenContext tile(nullptr, 8, 8, CColor{0, 128, 128, 0});
    tile.setFillColor(CColor{255, 0, 255, 0});
    tile.fillRect(CRect(1, 1, 5, 5));
    tile.copyFrom(&target, CRect(54, 38, 62, 46));
    tile.copyTo(&target, CRect(4, 30, 10, 36), CPoint(1, 1));  // a piece of the scene into the tile
    tile.copyFrom(&target, CRect(54, 28, 62, 36));
}

// FNV-1a over the 0x00RRGGBB words, row after row.
inline uint64_t fingerprint(COffscreenContext& image)
{
    uint64_t hash = 1469598103934665603ull;
    for (int32_t y = 0; y < image.getHeight(); ++y)
        for (int32_t x = 0; x < image.getWidth(); ++x) {
            const uint32_t pixel = image.getPixel(x, y).rgb();
            for (int shift = 0; shift < 32; shift += 8) {
                hash ^= (pixel >> shift) & 0xFF;
                hash *= 1099511628211ull;
            }
        }
    return hash;
}

}  // namespace drawing_scene
