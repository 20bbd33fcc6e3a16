// The editor's own views drawn offscreen and driven by a scripted pointer: bar
// geometry and colours, drawing with the mouse, the selector's segments and
// images, the envelope cells and the delay label.
#include "../gui/GuiTestSupport.h"

#include "editor/CombDisplay.h"
#include "editor/CombTypeSelector.h"
#include "editor/DelayInfoLabel.h"
#include "editor/EditorColours.h"
#include "editor/EnvelopeStrip.h"
#include "editor/skin/SkinArt.h"
#include "editor/skin/SkinResources.h"
#include "gui/CBitmap.h"
#include "gui/InputState.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using editor_colours::kBarYellow;
using editor_colours::kDarkBrown;

constexpr CRect kFrameArea{0, 0, 640, 420};
constexpr CRect kDisplayArea{11, 125, 628, 325};
constexpr CColor kDimmed{154, 107, 21, 0};

// A frame whose pointer follows a script, for one view under test.
struct ScriptedFrame {
    ScriptedPlatform* platform = new ScriptedPlatform;
    CFrame frame{kFrameArea, std::unique_ptr<PlatformFrame>(platform), nullptr};
    RecordingListener listener;

    ScriptedFrame() { platform->frame = &frame; }

    void press(std::vector<ScriptedPlatform::Step> steps)
    {
        platform->steps = std::move(steps);
        platform->current = 0;
        frame.windowMouseDown(platform->steps.front().where);
    }
    // A view's pixel, in frame coordinates, after a full redraw of the view.
    CColor pixel(CView* view, int32_t x, int32_t y)
    {
        COffscreenContext context(&frame, 640, 420);
        view->draw(&context);
        return context.getPixel(x, y);
    }
};

struct DisplayFixture : ScriptedFrame {
    CombDisplay* display = new CombDisplay(kDisplayArea, &listener, 44, 45, kDarkBrown, kDarkBrown, kBarYellow, 100, 0);
    DisplayFixture()
    {
        display->setColumns(88);
        frame.addView(display);
    }
    CColor at(int32_t x, int32_t y) { return pixel(display, kDisplayArea.left + x, kDisplayArea.top + y); }
    // Frame coordinates of the middle of column c at level 0 (bottom) .. 1 (top).
    static CPoint point(int32_t column, float level)
    {
        return CPoint(kDisplayArea.left + column * 7 + 3, kDisplayArea.top + int32_t((1.f - level) * 200.f));
    }
};

TEST(CombDisplay, BarsFillTheirColumnAboveTheBottomRowAndSilentOnesAreDimmed)
{
    DisplayFixture f;
    EXPECT_EQ(f.display->getColumnWidth(), 7);
    EXPECT_EQ(f.display->getBarAreaHeight(), 198);
    float values[88] = {};
    float out[88];
    std::fill(std::begin(out), std::end(out), 1.f);
    values[3] = 0.5f;          // m = 99: rows 100 .. 197, pixels 22 .. 27
    values[4] = 1.f / 198.f;   // m = 1: nothing visible
    values[6] = 2.5f / 198.f;  // m = 2: row 197 only
    values[8] = 0.9f;
    out[8] = 0.f;
    f.display->setValues(values, 88);
    f.display->setOutValues(out, 88);

    EXPECT_EQ(f.at(22, 197), kBarYellow);
    EXPECT_EQ(f.at(27, 100), kBarYellow);
    EXPECT_EQ(f.at(22, 99), kDarkBrown);
    EXPECT_EQ(f.at(24, 198), kDarkBrown);  // the bottom row stays free
    EXPECT_EQ(f.at(21, 150), kDarkBrown);  // the column's own first pixel (grid)
    for (int32_t y = 1; y < 199; ++y)
        ASSERT_EQ(f.at(30, y), kDarkBrown) << y;
    EXPECT_EQ(f.at(44, 197), kBarYellow);
    EXPECT_EQ(f.at(44, 196), kDarkBrown);
    EXPECT_EQ(f.at(2, 150), kDarkBrown);  // value 0: no bar
    EXPECT_EQ(f.display->dimmedColour(), kDimmed);
    EXPECT_EQ(f.at(59, 150), kDimmed);

    auto titlePixels = [&f] {
        int count = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 6; x < 200; ++x)
                count += !(f.at(x, y) == kDarkBrown);
        return count;
    };
    EXPECT_EQ(titlePixels(), 0);
    f.display->setTitle("Tuning [standard]");
    EXPECT_GT(titlePixels(), 20);
}

TEST(CombDisplay, DrawingSetsSampledColumnsHighlightsTheLastAndShiftMovesAll)
{
    DisplayFixture f;
    float out[88];
    std::fill(std::begin(out), std::end(out), 1.f);
    out[40] = 0.f;
    f.display->setOutValues(out, 88);
    // Columns 10, 30, 40: those in between are skipped and keep their values.
    f.press({{kLButton, f.point(10, 0.25f)}, {kLButton, f.point(30, 0.5f)}, {kLButton, f.point(40, 0.75f)},
        {0, f.point(40, 0.75f)}});
    EXPECT_FLOAT_EQ(f.display->getColumnValue(10), 0.25f);
    EXPECT_FLOAT_EQ(f.display->getColumnValue(30), 0.5f);
    EXPECT_FLOAT_EQ(f.display->getColumnValue(40), 0.75f);
    for (int c : {9, 11, 29, 31, 39})
        EXPECT_EQ(f.display->getColumnValue(c), 0.f) << c;
    ASSERT_EQ(f.listener.calls.size(), 3u);
    for (const auto& call : f.listener.calls)
        EXPECT_EQ(call.tag, 44);
    EXPECT_EQ(f.display->getTag(), 45);
    EXPECT_EQ(f.display->getLastEditedColumn(), 40);
    EXPECT_EQ(f.at(40 * 7 + 3, 190), kDimmed);  // silent wins over the highlight

    f.press({{kLButton, CPoint(f.point(30, 0).h, kDisplayArea.top)}, {0, f.point(30, 0.5f)}});
    EXPECT_FLOAT_EQ(f.display->getColumnValue(30), 0.999f);  // the very top stops below 1
    EXPECT_EQ(f.at(30 * 7 + 3, 190), CombDisplay::kHighlightColour);
    EXPECT_EQ(f.at(10 * 7 + 3, 190), kBarYellow);

    // Shift: every bar moves by the vertical travel, and may reach exactly 1 and 0.
    const CPoint start(300, kDisplayArea.top + 100);
    f.press({{kLButton | kShift, start}, {kLButton | kShift, CPoint(300, kDisplayArea.top - 100)}, {0, start}});
    for (int c = 0; c < 88; ++c)
        ASSERT_EQ(f.display->getColumnValue(c), 1.f) << c;
    f.press({{kLButton | kShift, start}, {kLButton | kShift, CPoint(300, kDisplayArea.bottom + 150)}, {0, start}});
    for (int c = 0; c < 88; ++c)
        ASSERT_EQ(f.display->getColumnValue(c), 0.f) << c;

    // Ctrl-click: the menu tag with the default value, nothing drawn.
    f.listener.calls.clear();
    f.press({{kLButton | kControl, f.point(5, 0.5f)}, {0, f.point(5, 0.5f)}});
    ASSERT_EQ(f.listener.calls.size(), 1u);
    EXPECT_EQ(f.listener.calls[0].tag, 45);
    EXPECT_FLOAT_EQ(f.listener.calls[0].value, 0.5f);
    EXPECT_EQ(f.display->getColumnValue(5), 0.f);
}

TEST(CombDisplay, OversizedCountsAreClipped)
{
    DisplayFixture f;
    std::vector<float> many(5000, 0.25f), back(5000, -1.f);
    f.display->setValues(many.data(), 5000);
    f.display->setOutValues(many.data(), 5000);
    f.display->getValues(back.data(), 5000);
    EXPECT_EQ(back[1022], 0.25f);
    EXPECT_EQ(back[1023], -1.f);
    f.display->setColumns(4000);
    EXPECT_EQ(f.display->getColumns(), 1023);
    f.display->setColumns(0);  // no division by zero
    EXPECT_EQ(f.display->getColumns(), 1);
}

TEST(CombTypeSelector, SegmentsSelectTheirTypeAndEachValueShowsItsImage)
{
    ScriptedFrame f;
    skin::registerSkinResources();
    auto* strip = new CBitmap(skin::kSelectorStripId);
    auto* selector = new CombTypeSelector(CRect(11, 92, 628, 121), &f.listener, 1, 15, 28, 15, strip);
    strip->forget();
    for (int i = 0; i < skin::kSelectorSegments; ++i)
        selector->setSegmentWidth(i, skin::kSelectorSegmentWidths[i]);
    f.frame.addView(selector);
    EXPECT_EQ(selector->getSegmentStart(2), 49 + 44);
    EXPECT_EQ(selector->getSegmentStart(14), 610 - 82);  // the widths add up to 610 of 617 pixels

    auto click = [&f](int32_t x, int32_t buttons = kLButton) { f.press({{buttons, CPoint(11 + x, 100)}, {0, CPoint(11 + x, 100)}}); };
    click(49 + 44 + 10);
    EXPECT_FLOAT_EQ(selector->getValue(), 2.f / 14.f);
    click(126);  // the first pixel column of segment 3 selects nothing
    EXPECT_FLOAT_EQ(selector->getValue(), 2.f / 14.f);
    f.press({{kLButton, CPoint(16, 100)}, {kLButton, CPoint(611, 100)}, {0, CPoint(611, 100)}});
    EXPECT_FLOAT_EQ(selector->getValue(), 1.f);
    click(300, kLButton | kControl);
    EXPECT_EQ(selector->getValue(), 0.f);

    cairo_surface_t* image = skin::createSkinImage(skin::kSelectorStripId);
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int k = 0; k < 15; ++k) {
        selector->setValue(float(k) / 14.f);
        COffscreenContext context(&f.frame, 640, 420);
        selector->draw(&context);
        int mismatches = 0;
        for (int y = 0; y < 28; y += 3)
            for (int x = 0; x < 617; x += 5)
                mismatches += context.getPixel(11 + x, 92 + y).rgb()
                    != (reinterpret_cast<const uint32_t*>(data + (28 * k + y) * stride)[x] & 0xFFFFFF);
        EXPECT_EQ(mismatches, 0) << "image " << k;
    }
    cairo_surface_destroy(image);
}

TEST(EnvelopeStrip, CellsBlendFromZeroToFullColour)
{
    ScriptedFrame f;
    auto* strip = new EnvelopeStrip(CRect(11, 330, 628, 337), kDarkBrown, kBarYellow, 88);
    f.frame.addView(strip);
    float levels[88] = {};
    levels[1] = 1.f;
    levels[2] = 0.5f;
    levels[3] = 7.f;  // a wild level stays within the two colours
    strip->setValues(levels, 88);
    EXPECT_TRUE(strip->isDirty());
    const CColor half{188, 148, 33, 0};
    for (int y = 332; y <= 335; ++y) {
        EXPECT_EQ(f.pixel(strip, 11 + 8, y), kBarYellow);
        EXPECT_EQ(f.pixel(strip, 11 + 13, y), kBarYellow);
        EXPECT_EQ(f.pixel(strip, 11 + 17, y), half);
        EXPECT_EQ(f.pixel(strip, 11 + 24, y), kBarYellow);
        EXPECT_EQ(f.pixel(strip, 11 + 3, y), kDarkBrown);
    }
    EXPECT_EQ(f.pixel(strip, 11 + 7, 333), kDarkBrown);  // the gap between cells
    EXPECT_EQ(f.pixel(strip, 11 + 10, 331), kDarkBrown);
    EXPECT_EQ(f.pixel(strip, 11 + 10, 336), kDarkBrown);
}

TEST(DelayInfoLabel, ShowsItsTextAndDroppedFilesOnly)
{
    ScriptedFrame f;
    auto* label = new DelayInfoLabel(CRect(47, 375, 97, 389));
    label->setBackColor(kBarYellow);
    label->setFontColor(kDarkBrown);
    f.frame.addView(label);
    EXPECT_STREQ(label->getText(), "(--)");
    char path[] = "/tmp/impulse.wav";
    void* items[] = {path};
    CPoint where(52, 380);
    EXPECT_TRUE(label->onDrop(items, 1, kDropText, where));
    EXPECT_TRUE(label->onDrop(items, 0, kDropFiles, where));
    EXPECT_STREQ(label->getText(), "(--)");
    EXPECT_TRUE(label->onDrop(items, 1, kDropFiles, where));
    EXPECT_STREQ(label->getText(), "1 : /tmp/impulse.wav at 5");

    label->setText("1/16T x 4");
    EXPECT_EQ(f.pixel(label, 47, 375), kBarYellow);
    EXPECT_EQ(f.pixel(label, 96, 388), kBarYellow);
}

}  // namespace
