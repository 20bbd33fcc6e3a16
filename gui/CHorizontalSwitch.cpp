#include "gui/CHorizontalSwitch.h"

#include "gui/CBitmap.h"
#include "gui/CControlListener.h"
#include "gui/CDrawContext.h"
#include "gui/InputState.h"

CHorizontalSwitch::CHorizontalSwitch(const CRect& size_, CControlListener* listener_, int32_t tag_,
    int32_t subPixmaps_, int32_t heightOfOneImage_, int32_t maxPositions_, CBitmap* background, const CPoint& offset_)
    : CControl(size_, listener_, tag_, background), subPixmaps(subPixmaps_), heightOfOneImage(heightOfOneImage_),
      maxPositions(maxPositions_), offset(offset_)
{
    defaultValue = 0.f;
}

int32_t CHorizontalSwitch::imageIndex() const
{
    return int32_t(float(maxPositions - 1) * value + 0.5f);
}

void CHorizontalSwitch::draw(CDrawContext* context)
{
    if (pBackground) {
        const CPoint source(0, heightOfOneImage * imageIndex());
        if (bTransparencyEnabled)
            pBackground->drawTransparent(context, size, source);
        else
            pBackground->draw(context, size, source);
    }
    setDirty(false);
}

void CHorizontalSwitch::mouse(CDrawContext* context, CPoint& where)
{
    if (!bMouseEnabled || !context || maxPositions < 2)
        return;
    int32_t buttons = context->getMouseButtons();
    if (!(buttons & kLButton))
        return;
    beginEdit();
    // Equal-width positions across the view; follows the pointer until release.
    const float positionWidth = float(size.width()) / float(maxPositions);
    do {
        const float previous = value;
        int32_t position = positionWidth > 0.f ? int32_t(float(where.h - size.left) / positionWidth) : 0;
        position = position < 0 ? 0 : (position >= maxPositions ? maxPositions - 1 : position);
        value = float(position) / float(maxPositions - 1);
        if (value != previous && listener)
            listener->valueChanged(context, this);
        context->getMouseLocation(where);
        doIdleStuff();
        buttons = context->getMouseButtons();
    } while (buttons & kLButton);
    endEdit();
}
