#include "gui/CView.h"

#include "gui/CFrame.h"
#include "gui/DebugCounters.h"

CView::CView(const CRect& size_) : size(size_), mouseableArea(size_)
{
    ++guiDebugCounters().views;
}

CView::~CView()
{
    if (nbReference > 1)
        guiDebugMessage("nbReference is %d when trying to delete CView\n", nbReference);
    --guiDebugCounters().views;
}

void CView::drawRect(CDrawContext* context, const CRect& updateRect)
{
    (void)updateRect;
    draw(context);
}

void CView::update(CDrawContext* context)
{
    if (isDirty()) {
        draw(context);
        setDirty(false);
    }
}

bool CView::onDrop(void** items, int32_t count, int32_t type, CPoint& where)
{
    (void)items; (void)count; (void)type; (void)where;
    return false;
}

bool CView::onWheel(CDrawContext* context, const CPoint& where, float distance)
{
    (void)context; (void)where; (void)distance;
    return false;
}

bool CView::hitTest(const CPoint& where, int32_t buttons) const
{
    (void)buttons;
    return size.pointInsideInclusive(where);
}

void CView::setViewSize(const CRect& rect)
{
    size = rect;
    setDirty();
}

AEffGUIEditor* CView::getEditor() const
{
    return pParentFrame ? pParentFrame->getEditor() : nullptr;
}

void CView::forget()
{
    if (nbReference > 0 && --nbReference == 0)
        delete this;
}
