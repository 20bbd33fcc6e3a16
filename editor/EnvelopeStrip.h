// A row of small cells under the bar display, one per resonator, whose colour
// goes from the zero colour to the full colour with the resonator's current
// envelope level. Refreshed from the engine at every editor idle call.
#pragma once

#include "gui/CColor.h"
#include "gui/CControl.h"

#include <memory>

class COffscreenContext;

class EnvelopeStrip : public CControl {
public:
    static constexpr int32_t kMaxCount = 1023;
    static constexpr int32_t kValueCapacity = 1024;

    EnvelopeStrip(const CRect& size, const CColor& zeroColour, const CColor& fullColour, int32_t count);
    ~EnvelopeStrip() override;

    void draw(CDrawContext* context) override;
    bool attached(CView* parent) override;
    bool removed(CView* parent) override;

    // Copies the levels (0..1) and marks the strip dirty.
    virtual void setValues(const float* source, int32_t count);
    virtual void setCount(int32_t count);

    int32_t getCount() const { return count; }
    int32_t getCellWidth() const { return cellWidth; }
    // Colour of a cell at level v: per channel (1 - v) * zero + v * full, truncated.
    CColor cellColour(float level) const;

protected:
    virtual void rebuildBackground();

private:
    CColor zeroColour;
    CColor fullColour;
    int32_t count;
    int32_t cellWidth = 1;
    float values[kValueCapacity] = {};
    std::unique_ptr<COffscreenContext> backgroundImage;
    std::unique_ptr<COffscreenContext> workImage;
};
