// Knob geometry, the dead zone, and the mouse and key handling with a scripted pointer.
#include "GuiTestSupport.h"

#include "gui/BitmapResources.h"
#include "gui/CBitmap.h"
#include "gui/CKnob.h"
#include "gui/InputState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <thread>
#include <chrono>
#include <algorithm>

TEST(KnobGeometry, ValueToPointFollowsTheArcFromLowerLeftOverTheTopToLowerRight)
{
    CKnob knob(CRect(0, 0, 40, 40), nullptr, 0, nullptr, nullptr);
    EXPECT_EQ(knob.getInsetValue(), 3);
    CPoint point;
    knob.setValue(0.f);
    knob.valueToPoint(point);
    EXPECT_EQ(point, CPoint(8, 32));  // 20 + cos(5π/4) * 17 + 0.5, 20 - sin(5π/4) * 17 + 0.5
    knob.setValue(0.5f);
    knob.valueToPoint(point);
    EXPECT_EQ(point, CPoint(20, 3));
    knob.setValue(1.f);
    knob.valueToPoint(point);
    EXPECT_EQ(point, CPoint(32, 32));

    // Another value range moves the arc's coefficients with it.
    knob.setMin(-1.f);
    knob.setMax(3.f);
    knob.setValue(1.f);
    knob.valueToPoint(point);
    EXPECT_EQ(point, CPoint(20, 3));
    EXPECT_NEAR(knob.valueFromPoint(CPoint(20, 0)), 1.f, 1e-5);
}

TEST(KnobGeometry, HandleBitmapSetsTheInset)
{
    constexpr int32_t kHandleId = 9201;
    ASSERT_TRUE(registerBitmapResource(kHandleId, {7, 7, nullptr, [](uint32_t* p, int32_t w, int32_t h) {
                                           for (int32_t i = 0; i < w * h; ++i)
                                               p[i] = 0x00ff00;
                                       }}));
    CBitmap* handle = new CBitmap(kHandleId);
    {
        CKnob knob(CRect(0, 0, 40, 40), nullptr, 0, nullptr, handle);
        EXPECT_EQ(knob.getInsetValue(), 6);  // (long)(7 / 2 + 2.5)
        EXPECT_EQ(handle->getNbReference(), 2);
        // The handle is centred on the handle point, (20, 6) at value 0.5.
        knob.setValue(0.5f);
        COffscreenContext context(nullptr, 40, 40);
        knob.draw(&context);
        EXPECT_EQ(context.getPixel(17, 3), (CColor{0, 255, 0, 0}));
        EXPECT_EQ(context.getPixel(23, 9), (CColor{0, 255, 0, 0}));
        EXPECT_EQ(context.getPixel(24, 10), kBlackCColor);
    }
    EXPECT_EQ(handle->getNbReference(), 1);
    handle->forget();
    unregisterBitmapResource(kHandleId);
}

TEST(KnobGeometry, PointToValueInvertsTheArcAndSnapsTheDeadZoneToTheNearerEnd)
{
    CKnob knob(CRect(100, 100, 200, 200), nullptr, 0, nullptr, nullptr);
    const double start = 5.0 * std::numbers::pi / 4.0;
    for (int i = 0; i <= 10; ++i) {
        const double angle = start - i * 0.1 * 1.5 * std::numbers::pi;
        const CPoint point(int32_t(std::lround(50 + 45 * std::cos(angle))), int32_t(std::lround(50 - 45 * std::sin(angle))));
        EXPECT_NEAR(knob.valueFromPoint(point), i * 0.1, 0.02) << i;
    }
    EXPECT_EQ(knob.valueFromPoint(CPoint(45, 95)), 0.f);   // below, left of centre: nearer the start
    EXPECT_EQ(knob.valueFromPoint(CPoint(55, 95)), 1.f);   // below, right of centre: nearer the end
    EXPECT_EQ(knob.valueFromPoint(CPoint(30, 80)), 0.f);
    EXPECT_EQ(knob.valueFromPoint(CPoint(70, 80)), 1.f);
}

namespace {
// A frame with one knob at 0, 0, 40, 40 on a scripted window.
struct KnobDrag : ::testing::Test {
    RecordingEffect effect;
    TestEditor* editor = new TestEditor(&effect);  // owned by the effect
    ScriptedPlatform* platform = nullptr;
    CFrame* frame = nullptr;
    CKnob* knob = nullptr;
    RecordingListener listener;

    void SetUp() override
    {
        hostCalls().clear();
        auto scripted = std::make_unique<ScriptedPlatform>();
        platform = scripted.get();
        frame = new CFrame(CRect(0, 0, 300, 200), std::move(scripted), editor);
        platform->frame = frame;
        editor->setFrame(frame);
        knob = new CKnob(CRect(0, 0, 40, 40), &listener, 12, nullptr, nullptr);
        frame->addView(knob);
    }
    void TearDown() override { editor->setKnobMode(kCircularMode); }

    void press(std::vector<ScriptedPlatform::Step> steps)
    {
        platform->steps = std::move(steps);
        platform->current = 0;
        std::unique_ptr<CDrawContext> context = frame->createEventContext();
        CPoint where = platform->steps.front().where;
        frame->mouse(context.get(), where);
    }
    int count(int32_t opcode) const { return int(std::count(hostCalls().begin(), hostCalls().end(), opcode)); }
};
}  // namespace

TEST_F(KnobDrag, LinearDragMovesByPixelsAndWrapsTheGestureInBeginAndEndEdit)
{
    editor->setKnobMode(kLinearMode);
    knob->setValue(0.5f);
    press({{kLButton, {20, 20}}, {kLButton, {40, 20}}, {kLButton, {40, 0}}, {kLButton, {40, -200}}, {0, {40, -200}}});
    ASSERT_EQ(listener.calls.size(), 3u);
    EXPECT_NEAR(listener.calls[0].value, 0.6f, 1e-5);   // 20 px right of 200 px per range
    EXPECT_NEAR(listener.calls[1].value, 0.7f, 1e-5);   // and 20 px up
    EXPECT_EQ(listener.calls[2].value, 1.f);            // clamped
    EXPECT_EQ(count(audioMasterBeginEdit), 1);
    EXPECT_EQ(count(audioMasterEndEdit), 1);
    EXPECT_EQ(hostCalls().back(), audioMasterEndEdit);
    EXPECT_EQ(frame->getFocusView(), knob);  // keys from the host now reach the knob
}

TEST_F(KnobDrag, ShiftSlowsTheLinearDragFromWhereItWasPressed)
{
    editor->setKnobMode(kLinearMode);
    knob->setValue(0.5f);
    press({{kLButton, {20, 20}}, {kLButton, {40, 20}}, {kLButton | kShift, {40, 20}}, {kLButton | kShift, {70, 20}},
        {0, {70, 20}}});
    ASSERT_EQ(listener.calls.size(), 2u);
    EXPECT_NEAR(listener.calls[0].value, 0.6f, 1e-5);
    EXPECT_NEAR(listener.calls[1].value, 0.7f, 1e-5);  // 30 px at 300 px per range
}

TEST_F(KnobDrag, CircularDragFollowsTheAngleButNeverJumpsAcrossTheDeadZone)
{
    knob->setValue(0.5f);
    // To the right end, then straight across the bottom towards the left end.
    press({{kLButton, {20, 3}}, {kLButton, {37, 20}}, {kLButton, {32, 32}}, {kLButton, {8, 32}}, {0, {8, 32}}});
    ASSERT_GE(listener.calls.size(), 3u);
    EXPECT_NEAR(listener.calls[0].value, 0.5f, 1e-5);        // the press point itself
    EXPECT_NEAR(listener.calls[1].value, 5.f / 6.f, 0.02f);  // 3 o'clock is 5/6 of the sweep
    EXPECT_EQ(knob->getValue(), 1.f);
    for (const auto& call : listener.calls)
        EXPECT_GT(call.value, 0.49f);
}

TEST_F(KnobDrag, CtrlClickRestoresTheDefaultWithoutAnEditGesture)
{
    knob->setValue(0.2f);
    press({{kLButton | kControl, {20, 20}}});
    ASSERT_EQ(listener.calls.size(), 1u);
    EXPECT_EQ(listener.calls[0].value, 0.5f);
    EXPECT_EQ(count(audioMasterBeginEdit), 0);
    press({{kLButton | kControl, {20, 20}}});  // already at the default: no call
    EXPECT_EQ(listener.calls.size(), 1u);
    press({{kRButton, {20, 20}}});  // right button: ignored
    EXPECT_EQ(count(audioMasterBeginEdit), 0);
}

TEST_F(KnobDrag, ArrowKeysStepByTheWheelIncrementAndOtherKeysAreNotHandled)
{
    knob->setValue(0.5f);
    VstKeyCode right{0, VKEY_RIGHT, 0};
    VstKeyCode downShift{0, VKEY_DOWN, MODIFIER_SHIFT};
    VstKeyCode letter{'a', 0, 0};
    EXPECT_EQ(knob->onKeyDown(right), 1);
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-6);
    EXPECT_EQ(knob->onKeyDown(downShift), 1);
    EXPECT_NEAR(knob->getValue(), 0.59f, 1e-6);
    EXPECT_EQ(knob->onKeyDown(letter), -1);
    knob->setValue(1.f);
    EXPECT_EQ(knob->onKeyDown(right), 1);
    EXPECT_EQ(knob->getValue(), 1.f);
    EXPECT_EQ(listener.calls.size(), 2u);  // the clamped step changed nothing
}

TEST_F(KnobDrag, DoIdleStuffRunsTheEditorIdleOnlyOnceWithinItsInterval)
{
    editor->idleCalls = 0;
    hostCalls().clear();
    // Let the interval of earlier calls run out first.
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    editor->doIdleStuff();
    editor->doIdleStuff();
    EXPECT_EQ(editor->idleCalls, 1);
    EXPECT_EQ(count(audioMasterIdle), 1);
    EXPECT_EQ(platform->paintPasses, 1);
}
