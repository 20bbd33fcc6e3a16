#pragma once

class CDrawContext;
class CControl;

// Receives every change a user makes to a control.
class CControlListener {
public:
    virtual ~CControlListener() = default;
    virtual void valueChanged(CDrawContext* context, CControl* control) = 0;
};
