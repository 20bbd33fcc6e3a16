// One line of text under the feedback section: the feedback delay's frequency or
// tempo division, as the engine describes it. Files dropped on it show their path.
#pragma once

#include "gui/CParamDisplay.h"

class DelayInfoLabel : public CParamDisplay {
public:
    static constexpr size_t kTextCapacity = 256;

    explicit DelayInfoLabel(const CRect& size);

    void draw(CDrawContext* context) override;
    bool onDrop(void** items, int32_t count, int32_t type, CPoint& where) override;

    // The editor writes the text (at most 255 characters) and marks the label dirty.
    void setText(const char* text);
    char* textBuffer() { return text; }
    const char* getText() const { return text; }

private:
    char text[kTextCapacity] = "(--)";
};
