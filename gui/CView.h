// The base of everything a frame shows: a rectangle that draws itself and reacts to the
// mouse, keys and drops. Views are reference counted; the frame holds one reference to
// each view added to it.
#pragma once

#include "gui/CRect.h"
#include "host/Vst2.h"

#include <cstdint>

class AEffGUIEditor;
class CDrawContext;
class CFrame;

class CView {
public:
    explicit CView(const CRect& size);
    virtual ~CView();

    CView(const CView&) = delete;
    CView& operator=(const CView&) = delete;

    virtual void draw(CDrawContext* context) { (void)context; }
    virtual void drawRect(CDrawContext* context, const CRect& updateRect);
    virtual bool checkUpdate(const CRect& updateRect) const { return size.overlaps(updateRect); }
    virtual void mouse(CDrawContext* context, CPoint& where) { (void)context; (void)where; }
    virtual void update(CDrawContext* context);
    virtual intptr_t notify(CView* sender, const char* message) { (void)sender; (void)message; return 0; }
    virtual intptr_t onKeyDown(VstKeyCode& keyCode) { (void)keyCode; return -1; }
    virtual intptr_t onKeyUp(VstKeyCode& keyCode) { (void)keyCode; return -1; }
    virtual bool onDrop(void** items, int32_t count, int32_t type, CPoint& where);
    virtual bool onWheel(CDrawContext* context, const CPoint& where, float distance);
    virtual void takeFocus(CDrawContext* context) { (void)context; }
    virtual void looseFocus(CDrawContext* context) { (void)context; }
    virtual bool isDirty() const { return bDirty; }
    virtual void setDirty(bool state = true) { bDirty = state; }
    virtual void setMouseEnabled(bool enable = true) { bMouseEnabled = enable; }
    virtual bool getMouseEnabled() const { return bMouseEnabled; }
    virtual void setMouseableArea(const CRect& rect) { mouseableArea = rect; }
    virtual CRect& getMouseableArea(CRect& rect) const { return rect = mouseableArea; }
    // Inside the size with all edges included.
    virtual bool hitTest(const CPoint& where, int32_t buttons = -1) const;
    virtual void setTransparency(bool state) { bTransparencyEnabled = state; }
    virtual bool getTransparency() const { return bTransparencyEnabled; }
    virtual void setViewSize(const CRect& rect);
    virtual CRect& getViewSize(CRect& rect) const { return rect = size; }
    virtual void setParentView(CView* view) { pParentView = view; }
    virtual void setParentFrame(CFrame* frame) { pParentFrame = frame; }
    virtual AEffGUIEditor* getEditor() const;
    virtual bool removed(CView* parent) { (void)parent; return true; }
    virtual bool attached(CView* parent) { (void)parent; return true; }
    virtual void forget();
    virtual void remember() { ++nbReference; }
    virtual int32_t getNbReference() const { return nbReference; }

    const CRect& getViewSize() const { return size; }
    CFrame* getParentFrame() const { return pParentFrame; }
    CView* getParentView() const { return pParentView; }

protected:
    int32_t nbReference = 1;
    CRect size;
    CRect mouseableArea;
    CFrame* pParentFrame = nullptr;
    CView* pParentView = nullptr;
    bool bDirty = false;
    bool bMouseEnabled = true;
    bool bTransparencyEnabled = false;
};
