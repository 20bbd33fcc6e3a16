// A switch drawn from a strip of sub-images stacked vertically in one bitmap; the value
// picks the sub-image among the positions.
#pragma once

#include "gui/CControl.h"

class CHorizontalSwitch : public CControl {
public:
    CHorizontalSwitch(const CRect& size, CControlListener* listener, int32_t tag, int32_t subPixmaps,
        int32_t heightOfOneImage, int32_t maxPositions, CBitmap* background, const CPoint& offset = CPoint());

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where) override;

    // The sub-image the current value shows.
    int32_t imageIndex() const;
    int32_t getNumSubPixmaps() const { return subPixmaps; }
    int32_t getHeightOfOneImage() const { return heightOfOneImage; }
    int32_t getMaxPositions() const { return maxPositions; }

protected:
    int32_t subPixmaps;
    int32_t heightOfOneImage;
    int32_t maxPositions;
    CPoint offset;
};
