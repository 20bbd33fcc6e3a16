// The frame's drop target on a window of this program (the framework linked in): text
// arrives as one item counted in bytes of the dropped block, at the point relative to
// the window, and Ctrl makes the drop a copy.
#include "DropData.h"
#include "gui/CFrame.h"
#include "gui/InputState.h"

#include <gtest/gtest.h>

#include <string>

namespace {
struct DropRecorder : CView {
    explicit DropRecorder(const CRect& size) : CView(size) {}
    bool onDrop(void** items, int32_t count_, int32_t type_, CPoint& where_) override
    {
        text = static_cast<const char*>(items[0]);
        count = count_;
        type = type_;
        where = where_;
        return true;
    }
    std::string text;
    int32_t count = -1;
    int32_t type = -1;
    CPoint where;
};
}  // namespace

TEST(FrameDropTarget, TextArrivesAsOneItemCountedInBytes)
{
    HWND parent = CreateWindowExA(0, "STATIC", "Host", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
        GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(parent, nullptr);
    {
        CFrame frame(CRect(0, 0, 200, 100), parent, nullptr);
        ASSERT_TRUE(frame.isWindowOpened());
        auto* recorder = new DropRecorder(CRect(10, 10, 190, 90));
        frame.addView(recorder);
        auto window = static_cast<HWND>(frame.getSystemWindow());
        auto* target = static_cast<IDropTarget*>(GetPropA(window, "OleDropTargetInterface"));
        ASSERT_NE(target, nullptr);

        POINT screen{50, 40};
        ClientToScreen(window, &screen);
        IDataObject* data = DropData::text("hello");
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        EXPECT_EQ(target->DragEnter(data, MK_CONTROL, POINTL{screen.x, screen.y}, &effect), S_OK);
        EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
        EXPECT_EQ(target->Drop(data, MK_CONTROL, POINTL{screen.x, screen.y}, &effect), S_OK);
        data->Release();
        EXPECT_EQ(recorder->text, "hello");
        EXPECT_EQ(recorder->count, 6);  // the block: five letters and the zero
        EXPECT_EQ(recorder->type, kDropText);
        EXPECT_EQ(recorder->where, CPoint(50, 40));
    }
    DestroyWindow(parent);
}
