// The skin images: sizes the editor's layout relies on, and a selector strip
// whose image k lights exactly segment k.
#include "editor/skin/SkinArt.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

uint32_t pixel(cairo_surface_t* s, int x, int y)
{
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    return *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4) & 0xFFFFFF;
}

constexpr uint32_t kBarYellow = 0xFFE63A;

TEST(Skin, ImagesHaveTheLayoutSizes)
{
    const struct { int id, w, h; } expected[] = {{1, 640, 420}, {100, 5, 5}, {101, 30, 30}, {102, 617, 420}};
    for (const auto& e : expected) {
        cairo_surface_t* s = skin::createSkinImage(e.id);
        ASSERT_NE(s, nullptr) << e.id;
        EXPECT_EQ(cairo_image_surface_get_width(s), e.w) << e.id;
        EXPECT_EQ(cairo_image_surface_get_height(s), e.h) << e.id;
        cairo_surface_destroy(s);
    }
    EXPECT_EQ(skin::createSkinImage(2), nullptr);
}

TEST(Skin, SelectorImageLightsItsOwnSegment)
{
    cairo_surface_t* s = skin::createSkinImage(skin::kSelectorStripId);
    for (int image = 0; image < skin::kSelectorSegments; ++image) {
        int x = 0;
        for (int segment = 0; segment < skin::kSelectorSegments; ++segment) {
            const int probeX = x + 2;
            const int probeY = image * skin::kSelectorImageHeight + 3;
            EXPECT_EQ(pixel(s, probeX, probeY) == kBarYellow, segment == image) << image << "/" << segment;
            x += skin::kSelectorSegmentWidths[segment];
        }
        EXPECT_EQ(x, 610);
    }
    cairo_surface_destroy(s);
}

TEST(Skin, KnobHandleIsMaskedByWhiteCorners)
{
    cairo_surface_t* s = skin::createSkinImage(skin::kKnobHandleId);
    EXPECT_EQ(pixel(s, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(pixel(s, 2, 2), kBarYellow);
    cairo_surface_destroy(s);
}

}  // namespace
