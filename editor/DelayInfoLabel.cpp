#include "editor/DelayInfoLabel.h"

#include "gui/InputState.h"

#include <cstdio>

DelayInfoLabel::DelayInfoLabel(const CRect& size_) : CParamDisplay(size_, nullptr, 0) {}

void DelayInfoLabel::setText(const char* newText)
{
    std::snprintf(text, sizeof(text), "%s", newText ? newText : "");
    setDirty();
}

void DelayInfoLabel::draw(CDrawContext* context)
{
    if (context) {
        context->setFillColor(backColor);
        context->fillRect(CRect(size.left - 1, size.top - 1, size.right, size.bottom));
        context->setFont(fontIndex);
        context->setFontColor(fontColor);
        const CRect textArea(size.left + 1, size.top, size.right, size.bottom);
        context->drawString(text, textArea, false, kCenterText);
    }
    setDirty(false);
}

bool DelayInfoLabel::onDrop(void** items, int32_t count, int32_t type, CPoint& where)
{
    if (items && items[0] && count > 0 && type == kDropFiles) {
        std::snprintf(text, sizeof(text), "%d : %s at %d", int(count), static_cast<const char*>(items[0]),
            int(where.h - size.left));
        setDirty();
    }
    return true;
}
