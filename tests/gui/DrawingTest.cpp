// Exact pixels of the drawing primitives, bitmaps with a transparent colour, text
// placement and the offscreen snapshot of a frame.
#include "DrawingScene.h"
#include "gui/BitmapResources.h"
#include "gui/CBitmap.h"
#include "gui/CFrame.h"
#include "gui/CHorizontalSwitch.h"
#include "gui/COffscreenContext.h"
#include "gui/DebugCounters.h"
#include "gui/FrameSnapshot.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>
#include <utility>

namespace {
constexpr CColor kBlue{0, 0, 255, 0};
constexpr CColor kGreen{0, 255, 0, 0};

// The set of (x, y) pixels of the context that differ from black.
std::set<std::pair<int, int>> litPixels(COffscreenContext& context)
{
    std::set<std::pair<int, int>> lit;
    for (int y = 0; y < context.getHeight(); ++y)
        for (int x = 0; x < context.getWidth(); ++x)
            if (!(context.getPixel(x, y) == kBlackCColor))
                lit.insert({x, y});
    return lit;
}

std::set<std::pair<int, int>> box(int left, int top, int right, int bottom)  // inclusive
{
    std::set<std::pair<int, int>> pixels;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            pixels.insert({x, y});
    return pixels;
}
}  // namespace

TEST(Drawing, FillRectCoversLeftPlusOneToExclusiveRightBottom)
{
    COffscreenContext context(nullptr, 12, 12);
    context.setFillColor(kRedCColor);
    context.fillRect(CRect(2, 3, 6, 8));
    EXPECT_EQ(litPixels(context), box(3, 4, 5, 7));
    EXPECT_EQ(context.getPixel(3, 4), kRedCColor);

    // A one-pixel-wide rectangle fills nothing.
    COffscreenContext empty(nullptr, 4, 4);
    empty.fillRect(CRect(1, 1, 2, 3));
    EXPECT_TRUE(litPixels(empty).empty());
}

TEST(Drawing, DrawRectOutlinesThroughAllFourCorners)
{
    COffscreenContext context(nullptr, 12, 12);
    context.setFrameColor(kWhiteCColor);
    context.drawRect(CRect(2, 3, 6, 8));
    std::set<std::pair<int, int>> expected = box(2, 3, 6, 8);
    for (const auto& inside : box(3, 4, 5, 7))
        expected.erase(inside);
    EXPECT_EQ(litPixels(context), expected);
    EXPECT_EQ(context.getPixel(6, 8), kWhiteCColor);
}

TEST(Drawing, LinesLeaveOutTheirEndPixelAndFollowTheOffset)
{
    COffscreenContext context(nullptr, 20, 10);
    context.setFrameColor(kGreen);
    context.moveTo(CPoint(1, 1));
    context.lineTo(CPoint(5, 1));  // rightwards: 1..4
    context.moveTo(CPoint(5, 3));
    context.lineTo(CPoint(1, 3));  // leftwards: 5..2
    context.moveTo(CPoint(0, 5));
    context.lineTo(CPoint(3, 8));  // diagonal: (0,5) (1,6) (2,7)
    context.setOffset(CPoint(10, 0));
    context.moveTo(CPoint(0, 0));
    context.lineTo(CPoint(0, 2));  // shifted to x 10: y 0..1

    std::set<std::pair<int, int>> expected = {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {2, 3}, {3, 3}, {4, 3}, {5, 3},
        {0, 5}, {1, 6}, {2, 7}, {10, 0}, {10, 1}};
    EXPECT_EQ(litPixels(context), expected);
}

TEST(Drawing, TextStaysInItsRectangleWithTheRequestedAlignment)
{
    const CRect rect(10, 10, 190, 30);
    auto columns = [&](CHoriTxtAlign align) {
        COffscreenContext context(nullptr, 200, 40);
        context.setFont(3);
        context.setFontColor(kWhiteCColor);
        context.drawString("Tune", rect, false, align);
        int first = 1000, last = -1, top = 1000, bottom = -1;
        for (const auto& [x, y] : litPixels(context)) {
            EXPECT_TRUE(rect.pointInside(CPoint(x, y))) << x << "," << y;
            first = std::min(first, x);
            last = std::max(last, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
        EXPECT_GE(top, rect.top + 2);  // vertically centred 12-pixel text in 20 pixels
        EXPECT_LE(bottom, rect.bottom - 3);
        return std::pair(first, last);
    };
    auto [leftFirst, leftLast] = columns(kLeftText);
    EXPECT_GE(leftFirst, rect.left + 1);
    EXPECT_LE(leftFirst, rect.left + 3);
    auto [centreFirst, centreLast] = columns(kCenterText);
    EXPECT_NEAR((centreFirst + centreLast) / 2.0, (rect.left + rect.right) / 2.0, 3.0);
    auto [rightFirst, rightLast] = columns(kRightText);
    EXPECT_LE(rightLast, rect.right - 1);
    EXPECT_GE(rightLast, rect.right - 4);
    EXPECT_EQ(leftLast - leftFirst, rightLast - rightFirst);
}

namespace {
// 4 x 6: three sub-images of 2 rows (blue, green, red), each with a white pixel at x 3.
constexpr int32_t kStripId = 9101;
void renderStrip(uint32_t* pixels, int32_t width, int32_t height)
{
    const uint32_t colours[3] = {0x0000ff, 0x00ff00, 0xff0000};
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            pixels[y * width + x] = x == 3 ? 0xffffff : colours[y / 2];
}

struct StripResource : ::testing::Test {
    void SetUp() override { ASSERT_TRUE(registerBitmapResource(kStripId, {4, 6, nullptr, renderStrip})); }
    void TearDown() override { unregisterBitmapResource(kStripId); }
};
}  // namespace

TEST_F(StripResource, TransparentDrawingLeavesOutTheTransparentColour)
{
    CBitmap* bitmap = new CBitmap(kStripId);
    ASSERT_EQ(bitmap->getWidth(), 4);
    ASSERT_EQ(bitmap->getHeight(), 6);
    COffscreenContext context(nullptr, 8, 4, CColor{40, 40, 40, 0});
    bitmap->drawTransparent(&context, CRect(1, 1, 5, 3), CPoint(0, 2));  // the green sub-image
    EXPECT_EQ(context.getPixel(1, 1), kGreen);
    EXPECT_EQ(context.getPixel(3, 2), kGreen);
    EXPECT_EQ(context.getPixel(4, 1), (CColor{40, 40, 40, 0}));  // white left out
    EXPECT_EQ(context.getPixel(5, 1), (CColor{40, 40, 40, 0}));  // outside the rectangle

    bitmap->draw(&context, CRect(1, 1, 5, 3));  // opaque copy keeps the white
    EXPECT_EQ(context.getPixel(4, 1), kWhiteCColor);
    EXPECT_EQ(context.getPixel(1, 1), kBlue);

    // Another transparent colour masks that one instead.
    bitmap->setTransparentColor(kBlue);
    bitmap->drawTransparent(&context, CRect(0, 0, 4, 2), CPoint());
    EXPECT_EQ(context.getPixel(0, 0), (CColor{40, 40, 40, 0}));
    EXPECT_EQ(context.getPixel(3, 0), kWhiteCColor);
    bitmap->forget();
}

TEST_F(StripResource, HorizontalSwitchShowsTheRoundedPosition)
{
    CBitmap* bitmap = new CBitmap(kStripId);
    CHorizontalSwitch control(CRect(0, 0, 3, 2), nullptr, 7, 3, 2, 3, bitmap);
    bitmap->forget();
    EXPECT_EQ(control.getDefaultValue(), 0.f);
    const std::pair<float, CColor> cases[] = {{0.f, kBlue}, {0.24f, kBlue}, {0.26f, kGreen}, {0.74f, kGreen},
        {0.75f, kRedCColor}, {1.f, kRedCColor}};
    for (const auto& [value, colour] : cases) {
        COffscreenContext context(nullptr, 3, 2);
        control.setValue(value);
        control.draw(&context);
        EXPECT_EQ(context.getPixel(0, 0), colour) << value;
        EXPECT_EQ(context.getPixel(2, 1), colour) << value;
        EXPECT_FALSE(control.isDirty());
    }
}

TEST(Drawing, MissingResourceGivesAnEmptyBitmapThatDrawsNothing)
{
    CBitmap* bitmap = new CBitmap(424242);
    EXPECT_EQ(bitmap->getWidth(), 0);
    EXPECT_EQ(bitmap->getHeight(), 0);
    COffscreenContext context(nullptr, 4, 4);
    bitmap->draw(&context, CRect(0, 0, 4, 4));
    bitmap->drawTransparent(&context, CRect(0, 0, 4, 4));
    EXPECT_TRUE(litPixels(context).empty());
    bitmap->forget();
}

TEST_F(StripResource, FrameSnapshotDrawsBackgroundAndViewsWithoutAWindow)
{
    CBitmap* background = new CBitmap(kStripId);
    CFrame* frame = new CFrame(CRect(0, 0, 4, 6), nullptr, nullptr);
    frame->setBackground(background);
    background->forget();
    EXPECT_FALSE(frame->isWindowOpened());

    const std::string path = ::testing::TempDir() + "tovarine_frame_snapshot.png";
    ASSERT_TRUE(saveFrameAsPng(frame, path.c_str()));
    cairo_surface_t* png = cairo_image_surface_create_from_png(path.c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png), 4);
    EXPECT_EQ(cairo_image_surface_get_height(png), 6);
    const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(png) + 4 * cairo_image_surface_get_stride(png));
    EXPECT_EQ(row[0] & 0xffffff, 0xff0000u);
    cairo_surface_destroy(png);
    std::remove(path.c_str());
    delete frame;
}

TEST(Drawing, SceneOfExactPrimitivesHasTheFingerprintEveryPlatformMustDraw)
{
    COffscreenContext scene(nullptr, drawing_scene::kWidth, drawing_scene::kHeight);
    drawing_scene::draw(scene);
    EXPECT_EQ(drawing_scene::fingerprint(scene), drawing_scene::kFingerprint);
}
