// A rotary knob: a background bitmap and a handle (a bitmap, or two lines) on a circle.
// The value sweeps from the start angle through the range angle; a click in the dead
// zone between the ends snaps to the nearer end.
#pragma once

#include "gui/CColor.h"
#include "gui/CControl.h"

class CKnob : public CControl {
public:
    CKnob(const CRect& size, CControlListener* listener, int32_t tag, CBitmap* background, CBitmap* handle,
        const CPoint& offset = CPoint());
    ~CKnob() override;

    void draw(CDrawContext* context) override;
    void mouse(CDrawContext* context, CPoint& where) override;
    bool onWheel(CDrawContext* context, const CPoint& where, float distance) override;
    intptr_t onKeyDown(VstKeyCode& keyCode) override;
    // The angle coefficients follow the value range.
    void setMin(float minimum) override;
    void setMax(float maximum) override;

    virtual void drawHandle(CDrawContext* context);
    // Handle position for a value, relative to the view's top-left corner.
    virtual void valueToPoint(CPoint& point) const;
    // Value for a point relative to the view's top-left corner.
    virtual float valueFromPoint(const CPoint& point) const;

    virtual void setStartAngle(float angle);
    virtual float getStartAngle() const { return startAngle; }
    virtual void setRangeAngle(float angle);
    virtual float getRangeAngle() const { return rangeAngle; }
    virtual void setColorHandle(const CColor& color) { colorHandle = color; }
    virtual void setColorShadowHandle(const CColor& color) { colorShadow = color; }
    virtual void setHandleBitmap(CBitmap* bitmap);

    int32_t getInsetValue() const { return inset; }
    void setZoomFactor(float factor) { zoomFactor = factor; }
    float getZoomFactor() const { return zoomFactor; }

protected:
    void compute();
    void notifyIfChanged(CDrawContext* context, float previous);

    CPoint offset;
    CBitmap* pHandle = nullptr;
    int32_t inset = 3;
    CColor colorHandle = kWhiteCColor;
    CColor colorShadow = kGreyCColor;
    float startAngle;
    float rangeAngle;
    float halfAngle = 0.f;
    float aCoef = 0.f;  // value per radian
    float bCoef = 0.f;  // value at angle 0
    float radius;
    float zoomFactor = 1.5f;
};
