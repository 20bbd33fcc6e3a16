// The frame's dispatch of clicks, keys and drops, its focus rules, dirty tracking and
// idle redraws, and the reference counting of views and bitmaps.
#include "GuiTestSupport.h"

#include "gui/CBitmap.h"
#include "gui/CKnob.h"
#include "gui/COptionMenu.h"
#include "gui/DebugCounters.h"
#include "gui/InputState.h"

#include <gtest/gtest.h>

#include <memory>

namespace {
struct FrameDispatch : ::testing::Test {
    std::vector<std::string> log;
    ScriptedPlatform* platform = nullptr;
    CFrame* frame = nullptr;
    ProbeView* back = nullptr;
    ProbeView* front = nullptr;

    void SetUp() override
    {
        auto scripted = std::make_unique<ScriptedPlatform>();
        platform = scripted.get();
        platform->steps = {{kLButton, {}}};
        frame = new CFrame(CRect(0, 0, 300, 200), std::move(scripted), nullptr);
        platform->frame = frame;
        back = new ProbeView(CRect(0, 0, 100, 100), &log, "back");
        front = new ProbeView(CRect(50, 50, 150, 150), &log, "front", 1);
        frame->addView(back);
        frame->addView(front);
    }
    void TearDown() override { delete frame; }

    void click(CPoint where)
    {
        std::unique_ptr<CDrawContext> context = frame->createEventContext();
        frame->mouse(context.get(), where);
    }
};
}  // namespace

TEST_F(FrameDispatch, ClicksGoToTheLastAddedViewUnderThePointThatTakesTheMouse)
{
    click(CPoint(60, 60));
    click(CPoint(10, 10));
    click(CPoint(100, 100));  // the back view's right and bottom edges count as inside
    front->setMouseEnabled(false);
    click(CPoint(60, 60));
    click(CPoint(200, 190));  // nobody
    EXPECT_EQ(log, (std::vector<std::string>{"front.mouse", "back.mouse", "front.mouse", "back.mouse"}));

    log.clear();
    frame->setModalView(front);  // the modal view alone gets clicks, when they hit it
    click(CPoint(10, 10));
    click(CPoint(60, 60));
    EXPECT_EQ(log, (std::vector<std::string>{"front.mouse"}));
    frame->setModalView(nullptr);
}

TEST_F(FrameDispatch, KeysTryFocusThenModalThenAllViewsFromLastToFirst)
{
    VstKeyCode key{'a', 0, 0};
    EXPECT_EQ(frame->onKeyDown(key), 1);  // front answers at once
    EXPECT_EQ(log, (std::vector<std::string>{"front.key"}));

    log.clear();
    frame->setFocusView(back);
    EXPECT_EQ(frame->onKeyDown(key), 1);
    EXPECT_EQ(log, (std::vector<std::string>{"back.key", "front.key"}));

    // The next click in the frame takes the focus away.
    log.clear();
    click(CPoint(250, 190));
    EXPECT_EQ(frame->getFocusView(), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"back.looseFocus"}));

    frame->removeView(front);
    log.clear();
    EXPECT_EQ(frame->onKeyDown(key), -1);
    EXPECT_EQ(log, (std::vector<std::string>{"back.key"}));
}

TEST_F(FrameDispatch, DropsReachTheTopViewUnderThePointUnlessAViewHasTheFocus)
{
    const char* path = "/tmp/file.tun";
    void* items[] = {const_cast<char*>(path)};
    CPoint where(60, 60);
    EXPECT_TRUE(frame->onDrop(items, 1, kDropFiles, where));
    where = CPoint(10, 10);
    EXPECT_TRUE(frame->onDrop(items, 1, kDropFiles, where));
    where = CPoint(250, 190);
    EXPECT_FALSE(frame->onDrop(items, 1, kDropFiles, where));
    frame->setFocusView(back);
    where = CPoint(60, 60);
    EXPECT_FALSE(frame->onDrop(items, 1, kDropFiles, where));
    EXPECT_EQ(log, (std::vector<std::string>{"front.drop1", "back.drop1"}));
}

TEST_F(FrameDispatch, UpdateRedrawsOnlyDirtyViewsOrEverythingWhenTheFrameIsDirty)
{
    COffscreenContext context(frame, 300, 200);
    EXPECT_FALSE(frame->isDirty());
    front->setDirty();
    EXPECT_TRUE(frame->isDirty());
    frame->update(&context);
    EXPECT_EQ(back->draws, 0);
    EXPECT_EQ(front->draws, 1);
    EXPECT_FALSE(frame->isDirty());

    frame->setDirty();
    frame->update(&context);
    EXPECT_EQ(back->draws, 1);
    EXPECT_EQ(front->draws, 2);
    EXPECT_FALSE(frame->isDirty());

    // Painting part of the window draws only the views it touches.
    frame->drawRect(&context, CRect(200, 160, 300, 200));
    frame->drawRect(&context, CRect(0, 0, 20, 20));
    EXPECT_EQ(back->draws, 2);
    EXPECT_EQ(front->draws, 2);
}

TEST(ControlDirty, OldValueMakesAChangedValueDirtyUntilDrawn)
{
    CKnob knob(CRect(0, 0, 20, 20), nullptr, 0, nullptr, nullptr);
    knob.setDirty(false);
    EXPECT_FALSE(knob.isDirty());
    knob.setValue(0.3f);
    EXPECT_TRUE(knob.isDirty());
    COffscreenContext context(nullptr, 20, 20);
    knob.update(&context);
    EXPECT_FALSE(knob.isDirty());
    EXPECT_EQ(knob.getOldValue(), 0.3f);

    knob.setDirty(true);  // forced: the old value leaves the value
    EXPECT_EQ(knob.getOldValue(), -1.f);
    knob.setValue(-1.f);
    knob.setDirty(true);
    EXPECT_EQ(knob.getOldValue(), 0.f);
    EXPECT_TRUE(knob.isDirty());
    knob.setDirty(false);
    EXPECT_FALSE(knob.isDirty());
}

TEST(ReferenceCounting, FrameReleasesItsViewsAndHoldersReleaseTheirBitmaps)
{
    const GuiDebugCounters before = guiDebugCounters();
    CBitmap* bitmap = new CBitmap(8, 8);
    CFrame* frame = new CFrame(CRect(0, 0, 100, 100), nullptr, nullptr);
    frame->setBackground(bitmap);
    CKnob* knob = new CKnob(CRect(0, 0, 20, 20), nullptr, 1, bitmap, bitmap);
    COptionMenu* kept = new COptionMenu(CRect(), nullptr, 2);
    COptionMenu* submenu = new COptionMenu(CRect(), nullptr, 3);
    kept->addEntry(submenu, "sub");
    submenu->forget();  // the outer menu keeps it
    frame->addView(knob);
    frame->addView(kept);
    kept->remember();  // a second holder
    EXPECT_EQ(bitmap->getNbReference(), 4);  // creator, frame, knob background, knob handle
    bitmap->forget();

    frame->removeView(knob, false);  // removed but not released: still ours to forget
    EXPECT_EQ(guiDebugCounters().views, before.views + 4);  // frame, knob, menu, submenu
    knob->forget();
    EXPECT_EQ(bitmap->getNbReference(), 1);

    delete frame;
    EXPECT_EQ(guiDebugCounters().bitmaps, before.bitmaps);
    EXPECT_EQ(guiDebugCounters().views, before.views + 2);  // the kept menu and its submenu
    EXPECT_EQ(kept->getNbReference(), 1);
    kept->forget();
    EXPECT_EQ(guiDebugCounters().views, before.views);
    EXPECT_EQ(guiDebugCounters().bitmapPixels, before.bitmapPixels);
}

TEST(ReferenceCounting, DeletingAViewThatIsStillHeldIsReported)
{
    const int messages = guiDebugCounters().messages;
    CView* view = new CView(CRect(0, 0, 1, 1));
    view->remember();
    delete view;
    EXPECT_EQ(guiDebugCounters().messages, messages + 1);
}

TEST(EditGesture, ControlsReachTheHostThroughFrameEditorAndPlugin)
{
    RecordingEffect effect;
    auto* editor = new TestEditor(&effect);
    CFrame* frame = new CFrame(CRect(0, 0, 10, 10), nullptr, editor);
    editor->setFrame(frame);
    CKnob* knob = new CKnob(CRect(0, 0, 10, 10), nullptr, 7, nullptr, nullptr);
    frame->addView(knob);
    hostCalls().clear();
    knob->beginEdit();
    knob->endEdit();
    EXPECT_EQ(hostCalls(), (std::vector<int32_t>{audioMasterBeginEdit, audioMasterEndEdit}));
    VstKeyCode key{0, VKEY_UP, 0};
    EXPECT_EQ(editor->onKeyDown(key), 1);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.1f);
    editor->close();  // deletes the frame
    EXPECT_EQ(editor->getFrame(), nullptr);
    EXPECT_EQ(editor->onKeyDown(key), -1);
}
