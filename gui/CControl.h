// A view with a value: a normalised float between minimum and maximum, a tag, a
// listener told of every user change, and an optional background bitmap. It is dirty
// while its value differs from the value it last drew.
#pragma once

#include "gui/CView.h"

class CBitmap;
class CControlListener;

class CControl : public CView {
public:
    CControl(const CRect& size, CControlListener* listener = nullptr, int32_t tag = 0, CBitmap* background = nullptr);
    ~CControl() override;

    bool isDirty() const override;
    void setDirty(bool state = true) override;

    virtual void doIdleStuff();
    virtual void setValue(float value) { this->value = value; }
    virtual float getValue() const { return value; }
    virtual void setMin(float minimum) { vmin = minimum; }
    virtual float getMin() const { return vmin; }
    virtual void setMax(float maximum) { vmax = maximum; }
    virtual float getMax() const { return vmax; }
    virtual void setOldValue(float old) { oldValue = old; }
    virtual float getOldValue() const { return oldValue; }
    virtual void setDefaultValue(float value) { defaultValue = value; }
    virtual float getDefaultValue() const { return defaultValue; }
    virtual void setTag(int32_t newTag) { tag = newTag; }
    virtual int32_t getTag() const { return tag; }
    // Releases the previous bitmap and keeps a reference to the new one.
    virtual void setBackground(CBitmap* bitmap);
    virtual CBitmap* getBackground() const { return pBackground; }
    virtual void setBackOffset(const CPoint& offset) { backOffset = offset; }
    virtual void copyBackOffset() { backOffset = size.topLeft(); }
    virtual void setWheelInc(float increment) { wheelInc = increment; }
    virtual float getWheelInc() const { return wheelInc; }
    virtual void bounceValue();

    CControlListener* getListener() const { return listener; }
    void setListener(CControlListener* newListener) { listener = newListener; }
    int32_t getDoubleClickInterval() const { return doubleClickInterval; }

    // The edit gesture around a drag: host automation begin and end for the tag.
    void beginEdit();
    void endEdit();

protected:
    CControlListener* listener;
    int32_t tag;
    float oldValue = 1.f;
    float defaultValue = 0.5f;
    float value = 0.f;
    float vmin = 0.f;
    float vmax = 1.f;
    float wheelInc = 0.1f;
    int64_t lastTicks = -1;
    int32_t doubleClickInterval = 250;  // ms
    CBitmap* pBackground = nullptr;
    CPoint backOffset;
};
