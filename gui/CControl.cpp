#include "gui/CControl.h"

#include "gui/AEffGUIEditor.h"
#include "gui/CBitmap.h"
#include "gui/CFrame.h"

CControl::CControl(const CRect& size_, CControlListener* listener_, int32_t tag_, CBitmap* background)
    : CView(size_), listener(listener_), tag(tag_)
{
    setBackground(background);
}

CControl::~CControl()
{
    if (pBackground)
        pBackground->forget();
}

bool CControl::isDirty() const
{
    return oldValue != value || CView::isDirty();
}

void CControl::setDirty(bool state)
{
    CView::setDirty(state);
    if (state)
        // Any value other than the current one makes the next isDirty answer true.
        oldValue = value != -1.f ? -1.f : 0.f;
    else
        oldValue = value;
}

void CControl::doIdleStuff()
{
    if (pParentFrame)
        pParentFrame->doIdleStuff();
}

void CControl::setBackground(CBitmap* bitmap)
{
    if (bitmap)
        bitmap->remember();
    if (pBackground)
        pBackground->forget();
    pBackground = bitmap;
}

void CControl::bounceValue()
{
    if (value > vmax)
        value = vmax;
    else if (value < vmin)
        value = vmin;
}

void CControl::beginEdit()
{
    if (pParentFrame)
        pParentFrame->beginEdit(tag);
}

void CControl::endEdit()
{
    if (pParentFrame)
        pParentFrame->endEdit(tag);
}
