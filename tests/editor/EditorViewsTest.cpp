// The editor's own views drawn offscreen and driven by a scripted pointer: bar
// geometry and colours, drawing with the mouse, the selector's segments and
// images, the envelope cells and the delay label.
#include "ScriptedPlatform.h"

#include "editor/CombDisplay.h"
#include "editor/CombTypeSelector.h"
#include "editor/DelayInfoLabel.h"
#include "editor/EditorColours.h"
#include "editor/EnvelopeStrip.h"
#include "editor/skin/SkinArt.h"
#include "editor/skin/SkinResources.h"
#include "gui/CBitmap.h"
#include "gui/CControlListener.h"
#include "gui/CFrame.h"
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

struct Notification {
    int32_t tag;
    float value;
};

class RecordingListener : public CControlListener {
public:
    void valueChanged(CDrawContext*, CControl* control) override
    {
        calls.push_back({control->getTag(), control->getValue()});
    }
    std::vector<Notification> calls;
};

::testing::AssertionResult sameColour(const CColor& actual, const CColor& expected)
{
    if (actual == expected)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << int(actual.red) << "," << int(actual.green) << ","
                                         << int(actual.blue) << " expected " << int(expected.red) << ","
                                         << int(expected.green) << "," << int(expected.blue);
}

// A frame whose pointer follows `script`, holding one bar display of the editor's geometry.
struct DisplayFixture {
    ScriptState script;
    RecordingListener listener;
    CFrame frame{kFrameArea, std::make_unique<ScriptedPlatform>(script), nullptr};
    CombDisplay* display;

    DisplayFixture()
    {
        script.frame = &frame;
        display = new CombDisplay(kDisplayArea, &listener, 44, 45, kDarkBrown, kDarkBrown, kBarYellow, 100, 0);
        display->setColumns(88);
        frame.addView(display);
    }

    // The display's pixel at view coordinates after a full redraw.
    CColor pixel(int32_t x, int32_t y)
    {
        COffscreenContext context(&frame, 640, 420);
        display->draw(&context);
        return context.getPixel(kDisplayArea.left + x, kDisplayArea.top + y);
    }

    void press(std::vector<PointerStep> steps)
    {
        script.steps = std::move(steps);
        script.current = 0;
        frame.windowMouseDown(script.steps.front().where);
    }

    // Frame coordinates of column c at height level (0 bottom .. 1 top).
    static CPoint at(int32_t column, float level)
    {
        return CPoint(kDisplayArea.left + column * 7 + 3, kDisplayArea.top + int32_t((1.f - level) * 200.f));
    }
};

TEST(CombDisplay, BarGeometryFollowsTheColumnWidthAndBarArea)
{
    DisplayFixture f;
    EXPECT_EQ(f.display->getColumnWidth(), 7);
    EXPECT_EQ(f.display->getBarAreaHeight(), 198);

    float values[88] = {};
    values[3] = 0.5f;            // m = 99: rows 100 .. 197
    values[4] = 1.f / 198.f;     // m = 1: nothing visible
    values[6] = 2.5f / 198.f;    // m = 2: the single row 197
    f.display->setValues(values, 88);

    EXPECT_TRUE(sameColour(f.pixel(22, 197), kBarYellow));
    EXPECT_TRUE(sameColour(f.pixel(27, 100), kBarYellow));
    EXPECT_TRUE(sameColour(f.pixel(22, 99), kDarkBrown));   // just above the bar
    EXPECT_TRUE(sameColour(f.pixel(24, 198), kDarkBrown));  // the bottom row stays free
    EXPECT_TRUE(sameColour(f.pixel(21, 150), kDarkBrown));  // grid line between columns 2 and 3
    EXPECT_TRUE(sameColour(f.pixel(28, 150), kDarkBrown));  // the gap pixel of column 4
    for (int32_t y = 1; y < 199; ++y)
        EXPECT_TRUE(sameColour(f.pixel(30, y), kDarkBrown)) << "column 4 row " << y;
    EXPECT_TRUE(sameColour(f.pixel(44, 197), kBarYellow));
    EXPECT_TRUE(sameColour(f.pixel(44, 196), kDarkBrown));
    EXPECT_TRUE(sameColour(f.pixel(2, 150), kDarkBrown));  // value 0: no bar
}

TEST(CombDisplay, SilentResonatorsAreDimmedAndTheTitleIsDrawn)
{
    DisplayFixture f;
    EXPECT_TRUE(sameColour(f.display->dimmedColour(), kDimmed));
    float values[88];
    float out[88];
    for (int i = 0; i < 88; ++i) {
        values[i] = 0.9f;
        out[i] = 1.f;
    }
    out[5] = 0.f;
    f.display->setValues(values, 88);
    f.display->setOutValues(out, 88);
    EXPECT_TRUE(sameColour(f.pixel(37, 150), kDimmed));
    EXPECT_TRUE(sameColour(f.pixel(30, 150), kBarYellow));

    auto titlePixels = [&f] {
        COffscreenContext context(&f.frame, 640, 420);
        f.display->draw(&context);
        int count = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 6; x < 200; ++x)
                if (!(context.getPixel(kDisplayArea.left + x, kDisplayArea.top + y) == kDarkBrown))
                    ++count;
        return count;
    };
    std::fill(std::begin(values), std::end(values), 0.f);
    f.display->setValues(values, 88);
    EXPECT_EQ(titlePixels(), 0);
    f.display->setTitle("Tuning [12-TET]");
    EXPECT_GT(titlePixels(), 20);
}

TEST(CombDisplay, DraggingSetsOnlyTheSampledColumnsAndHighlightsTheLast)
{
    DisplayFixture f;
    float out[88];
    std::fill(std::begin(out), std::end(out), 1.f);
    out[40] = 0.f;
    f.display->setOutValues(out, 88);
    // Press on column 10, jump to column 30 and 40 (the ones between are skipped), release.
    f.press({{kLButton, f.at(10, 0.25f)}, {kLButton, f.at(30, 0.5f)}, {kLButton, f.at(40, 0.75f)}, {0, f.at(40, 0.75f)}});

    EXPECT_FLOAT_EQ(f.display->getColumnValue(10), 0.25f);
    EXPECT_FLOAT_EQ(f.display->getColumnValue(30), 0.5f);
    EXPECT_FLOAT_EQ(f.display->getColumnValue(40), 0.75f);
    for (int c : {9, 11, 20, 29, 31, 39, 41})
        EXPECT_EQ(f.display->getColumnValue(c), 0.f) << c;
    EXPECT_EQ(f.display->getLastEditedColumn(), 40);
    ASSERT_EQ(f.listener.calls.size(), 3u);
    for (const Notification& n : f.listener.calls)
        EXPECT_EQ(n.tag, 44);
    EXPECT_EQ(f.display->getTag(), 45);
    // The last edited column is silent: dimmed, not highlighted.
    EXPECT_TRUE(sameColour(f.pixel(40 * 7 + 3, 190), kDimmed));

    f.press({{kLButton, f.at(30, 0.5f)}, {0, f.at(30, 0.5f)}});
    EXPECT_TRUE(sameColour(f.pixel(30 * 7 + 3, 190), CombDisplay::kHighlightColour));
    EXPECT_TRUE(sameColour(f.pixel(10 * 7 + 3, 190), kBarYellow));
}

TEST(CombDisplay, TopStopsBelowOneWhileShiftDragReachesBothEnds)
{
    DisplayFixture f;
    f.press({{kLButton, CPoint(100, kDisplayArea.top)}, {0, CPoint(100, kDisplayArea.top)}});
    const int32_t column = (100 - kDisplayArea.left) / 7;
    EXPECT_FLOAT_EQ(f.display->getColumnValue(column), 0.999f);

    float values[88];
    std::fill(std::begin(values), std::end(values), 0.5f);
    f.display->setValues(values, 88);
    // Shift: every bar moves by the vertical travel; up by 3/4 of the height, then to the bottom.
    const CPoint start(300, kDisplayArea.top + 100);
    f.press({{kLButton | kShift, start}, {kLButton | kShift, CPoint(300, kDisplayArea.top - 50)}, {0, start}});
    for (int c = 0; c < 88; ++c)
        ASSERT_EQ(f.display->getColumnValue(c), 1.f) << c;
    f.press({{kLButton | kShift, start}, {kLButton | kShift, CPoint(300, kDisplayArea.bottom + 150)}, {0, start}});
    for (int c = 0; c < 88; ++c)
        ASSERT_EQ(f.display->getColumnValue(c), 0.f) << c;
}

TEST(CombDisplay, CtrlClickResetsTheValueAndCountsAreClipped)
{
    DisplayFixture f;
    f.press({{kLButton | kControl, f.at(5, 0.5f)}, {0, f.at(5, 0.5f)}});
    ASSERT_EQ(f.listener.calls.size(), 1u);
    EXPECT_EQ(f.listener.calls[0].tag, 45);
    EXPECT_FLOAT_EQ(f.listener.calls[0].value, 0.5f);
    EXPECT_EQ(f.display->getColumnValue(5), 0.f);  // nothing drawn

    std::vector<float> many(5000, 0.25f);
    f.display->setValues(many.data(), 5000);
    f.display->setOutValues(many.data(), 5000);
    std::vector<float> back(5000, -1.f);
    f.display->getValues(back.data(), 5000);
    EXPECT_EQ(back[1022], 0.25f);
    EXPECT_EQ(back[1023], -1.f);  // at most 1023 values go out
    f.display->setColumns(4000);
    EXPECT_EQ(f.display->getColumns(), 1023);
}

struct SelectorFixture {
    ScriptState script;
    RecordingListener listener;
    CFrame frame{kFrameArea, std::make_unique<ScriptedPlatform>(script), nullptr};
    CombTypeSelector* selector;

    SelectorFixture()
    {
        script.frame = &frame;
        skin::registerSkinResources();
        auto* strip = new CBitmap(skin::kSelectorStripId);
        selector = new CombTypeSelector(CRect(11, 92, 628, 121), &listener, 1, 15, 28, 15, strip);
        strip->forget();
        for (int i = 0; i < skin::kSelectorSegments; ++i)
            selector->setSegmentWidth(i, skin::kSelectorSegmentWidths[i]);
        frame.addView(selector);
    }

    void press(std::vector<PointerStep> steps)
    {
        script.steps = std::move(steps);
        script.current = 0;
        frame.windowMouseDown(script.steps.front().where);
    }
};

TEST(CombTypeSelector, SegmentsSelectTheirTypeExceptOnTheirEdges)
{
    SelectorFixture f;
    EXPECT_EQ(f.selector->getSegmentCount(), 15);
    EXPECT_EQ(f.selector->getSegmentStart(2), 49 + 44);
    EXPECT_EQ(f.selector->getSegmentStart(14), 610 - 82);  // the widths add up to 610 of 617 pixels

    const int32_t left = 11;
    const int32_t y = 100;
    f.press({{kLButton, CPoint(left + 49 + 44 + 10, y)}, {0, CPoint(left + 49 + 44 + 10, y)}});
    EXPECT_FLOAT_EQ(f.selector->getValue(), 2.f / 14.f);
    // A press on the first pixel column of segment 3 leaves the value.
    f.press({{kLButton, CPoint(left + 126, y)}, {0, CPoint(left + 126, y)}});
    EXPECT_FLOAT_EQ(f.selector->getValue(), 2.f / 14.f);
    // Dragging across selects the segment under the pointer.
    f.press({{kLButton, CPoint(left + 5, y)}, {kLButton, CPoint(left + 600, y)}, {0, CPoint(left + 600, y)}});
    EXPECT_FLOAT_EQ(f.selector->getValue(), 1.f);
    const size_t before = f.listener.calls.size();
    f.press({{kLButton | kControl, CPoint(left + 300, y)}, {0, CPoint(left + 300, y)}});
    EXPECT_EQ(f.selector->getValue(), 0.f);
    EXPECT_EQ(f.listener.calls.size(), before + 1);
}

TEST(CombTypeSelector, EachValueShowsItsImageOfTheStrip)
{
    SelectorFixture f;
    cairo_surface_t* strip = skin::createSkinImage(skin::kSelectorStripId);
    ASSERT_NE(strip, nullptr);
    const unsigned char* data = cairo_image_surface_get_data(strip);
    const int stride = cairo_image_surface_get_stride(strip);
    auto stripPixel = [&](int x, int y) {
        const uint32_t p = reinterpret_cast<const uint32_t*>(data + y * stride)[x];
        return CColor{uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), 0};
    };
    for (int k = 0; k < 15; ++k) {
        f.selector->setValue(float(k) / 14.f);
        EXPECT_EQ(f.selector->imageIndex(), k);
        COffscreenContext context(&f.frame, 640, 420);
        f.selector->draw(&context);
        int mismatches = 0;
        for (int y = 0; y < 28; y += 3)
            for (int x = 0; x < 617; x += 5)
                if (!(context.getPixel(11 + x, 92 + y) == stripPixel(x, 28 * k + y)))
                    ++mismatches;
        EXPECT_EQ(mismatches, 0) << "image " << k;
    }
    cairo_surface_destroy(strip);
}

TEST(EnvelopeStrip, CellsBlendFromZeroToFullColour)
{
    CFrame frame(kFrameArea, nullptr, nullptr);
    auto* strip = new EnvelopeStrip(CRect(11, 330, 628, 337), kDarkBrown, kBarYellow, 88);
    frame.addView(strip);
    EXPECT_EQ(strip->getCellWidth(), 7);
    float levels[88] = {};
    levels[1] = 1.f;
    levels[2] = 0.5f;
    levels[3] = 7.f;  // a wild value from the audio thread stays within the colours
    strip->setValues(levels, 88);
    EXPECT_TRUE(strip->isDirty());
    COffscreenContext context(&frame, 640, 420);
    strip->draw(&context);
    auto at = [&](int x, int y) { return context.getPixel(11 + x, 330 + y); };

    const CColor half{188, 148, 33, 0};
    for (int y = 2; y <= 5; ++y) {
        EXPECT_TRUE(sameColour(at(8, y), kBarYellow));
        EXPECT_TRUE(sameColour(at(13, y), kBarYellow));
        EXPECT_TRUE(sameColour(at(17, y), half));
        EXPECT_TRUE(sameColour(at(24, y), kBarYellow));
        EXPECT_TRUE(sameColour(at(3, y), kDarkBrown));
    }
    EXPECT_TRUE(sameColour(at(7, 3), kDarkBrown));  // gap between cells
    EXPECT_TRUE(sameColour(at(10, 1), kDarkBrown));
    EXPECT_TRUE(sameColour(at(10, 6), kDarkBrown));
}

TEST(DelayInfoLabel, ShowsItsTextAndDroppedFiles)
{
    CFrame frame(kFrameArea, nullptr, nullptr);
    auto* label = new DelayInfoLabel(CRect(47, 375, 97, 389));
    label->setBackColor(kBarYellow);
    label->setFontColor(kDarkBrown);
    frame.addView(label);
    EXPECT_STREQ(label->getText(), "(--)");

    char path[] = "/tmp/impulse.wav";
    void* items[] = {path};
    CPoint where(52, 380);
    EXPECT_TRUE(label->onDrop(items, 1, kDropText, where));
    EXPECT_STREQ(label->getText(), "(--)");
    EXPECT_TRUE(label->onDrop(items, 0, kDropFiles, where));
    EXPECT_STREQ(label->getText(), "(--)");
    EXPECT_TRUE(label->onDrop(items, 1, kDropFiles, where));
    EXPECT_STREQ(label->getText(), "1 : /tmp/impulse.wav at 5");

    label->setText("1/16T x 4");
    COffscreenContext context(&frame, 640, 420);
    label->draw(&context);
    EXPECT_TRUE(sameColour(context.getPixel(47, 375), kBarYellow));
    EXPECT_TRUE(sameColour(context.getPixel(96, 388), kBarYellow));
    int textPixels = 0;
    for (int y = 375; y < 389; ++y)
        for (int x = 47; x < 97; ++x)
            if (!(context.getPixel(x, y) == kBarYellow))
                ++textPixels;
    EXPECT_GT(textPixels, 15);
}

}  // namespace
