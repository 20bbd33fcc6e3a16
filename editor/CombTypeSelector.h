// The strip of labelled segments above the bar display that picks which
// per-resonator setting the bars show. Segments have individual widths; the
// image strip holds one picture per selected segment.
#pragma once

#include "gui/CHorizontalSwitch.h"

class CombTypeSelector : public CHorizontalSwitch {
public:
    static constexpr int32_t kMaxSegments = 64;

    // bitmap: the image strip, `subPixmaps` images of `heightOfOneImage` rows each.
    CombTypeSelector(const CRect& size, CControlListener* listener, int32_t tag, int32_t subPixmaps,
        int32_t heightOfOneImage, int32_t maxPositions, CBitmap* bitmap, const CPoint& offset = CPoint());

    void mouse(CDrawContext* context, CPoint& where) override;

    // Segments are laid out left to right in the order they are set: the
    // start of segment `index` is the sum of the widths set before it.
    virtual void setSegmentWidth(int32_t index, int32_t width);

    int32_t getSegmentCount() const { return segmentCount; }
    int32_t getSegmentStart(int32_t index) const;
    int32_t getSegmentWidth(int32_t index) const;

    // The value a click at x (relative to the view) selects, or -1 on a
    // segment border or outside every segment.
    float valueAt(int32_t x) const;

private:
    int32_t segmentCount = 0;
    int32_t segmentWidths[kMaxSegments] = {};
    int32_t segmentStarts[kMaxSegments] = {};
};
