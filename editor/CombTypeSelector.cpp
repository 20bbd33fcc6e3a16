#include "editor/CombTypeSelector.h"

#include "gui/CControlListener.h"
#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/InputState.h"

CombTypeSelector::CombTypeSelector(const CRect& size_, CControlListener* listener_, int32_t tag_,
    int32_t subPixmaps_, int32_t heightOfOneImage_, int32_t maxPositions_, CBitmap* bitmap, const CPoint& offset_)
    : CHorizontalSwitch(size_, listener_, tag_, subPixmaps_, heightOfOneImage_, maxPositions_, bitmap, offset_)
{
    defaultValue = 0.f;
    value = 0.f;
}

void CombTypeSelector::setSegmentWidth(int32_t index, int32_t width)
{
    if (index < 0 || index >= kMaxSegments)
        return;
    if (index >= segmentCount)
        segmentCount = index + 1;
    int32_t start = 0;
    for (int32_t i = 0; i < index; ++i)
        start += segmentWidths[i];
    segmentWidths[index] = width;
    segmentStarts[index] = start;
}

int32_t CombTypeSelector::getSegmentStart(int32_t index) const
{
    return index >= 0 && index < segmentCount ? segmentStarts[index] : 0;
}

int32_t CombTypeSelector::getSegmentWidth(int32_t index) const
{
    return index >= 0 && index < segmentCount ? segmentWidths[index] : 0;
}

float CombTypeSelector::valueAt(int32_t x) const
{
    float selected = -1.f;
    const float lastPosition = float(maxPositions > 1 ? maxPositions - 1 : 1);
    // Strictly inside: the first and last pixel column of a segment select nothing.
    for (int32_t i = 0; i < segmentCount; ++i)
        if (segmentStarts[i] < x && x < segmentStarts[i] + segmentWidths[i])
            selected = float(i) / lastPosition;
    if (selected > 1.f)
        selected = 1.f;
    return selected;
}

void CombTypeSelector::mouse(CDrawContext* context, CPoint& where)
{
    if (!bMouseEnabled || !context)
        return;
    const int32_t pressState = context->getMouseButtons();
    if (!(pressState & kLButton))
        return;
    if (pressState == (kLButton | kControl)) {
        const float previous = value;
        value = defaultValue;
        if (value != previous && listener)
            listener->valueChanged(context, this);
        return;
    }

    beginEdit();
    int32_t buttons = pressState;
    do {
        const float selected = valueAt(where.h - size.left);
        if (selected >= 0.f && selected != value) {
            value = selected;
            if (listener)
                listener->valueChanged(context, this);
        }
        context->getMouseLocation(where);
        doIdleStuff();
        buttons = context->getMouseButtons();
    } while (buttons == pressState);
    endEdit();
}
