// An RGB colour of the view framework; the fourth byte is carried but unused.
#pragma once

#include <cstdint>

struct CColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t unused = 0;

    constexpr bool operator==(const CColor& o) const { return red == o.red && green == o.green && blue == o.blue; }
    // 0x00RRGGBB, the pixel word of images (gui/PlatformGraphics.h).
    constexpr uint32_t rgb() const { return (uint32_t(red) << 16) | (uint32_t(green) << 8) | blue; }
};

inline constexpr CColor kBlackCColor{0, 0, 0, 0};
inline constexpr CColor kWhiteCColor{255, 255, 255, 0};
inline constexpr CColor kGreyCColor{127, 127, 127, 0};
inline constexpr CColor kRedCColor{255, 0, 0, 0};
