// The editor base of plug-ins built on the view framework: owns the frame while the
// window is open, forwards idle calls and keys to it, and carries controls' edit
// gestures to the host.
#pragma once

#include "gui/AEffEditor.h"

class CFrame;

class AEffGUIEditor : public AEffEditor {
public:
    explicit AEffGUIEditor(AudioEffect* effect);
    ~AEffGUIEditor() override;

    intptr_t getRect(ERect** rect) override;
    intptr_t open(void* parentWindow) override;
    void close() override;
    void idle() override;
    intptr_t onKeyDown(VstKeyCode& keyCode) override;
    intptr_t onKeyUp(VstKeyCode& keyCode) override;
    intptr_t setKnobMode(int32_t mode) override;
    bool onWheel(float distance) override;

    virtual void setParameter(int32_t index, float value) { (void)index; (void)value; }
    // Redraws the whole frame.
    virtual void draw(ERect* rect = nullptr);
    // Keeps the window alive while a control tracks the mouse: runs the editor's idle at
    // most every 100 ms, handles pending paint requests and gives the host idle time.
    virtual void doIdleStuff();
    virtual bool beginEdit(int32_t index);
    virtual bool endEdit(int32_t index);

    CFrame* getFrame() const { return frame; }
    static int32_t getKnobMode() { return knobMode; }

    // Milliseconds of a monotonic clock.
    static int64_t getTicks();

protected:
    ERect rect{0, 0, 0, 0};
    CFrame* frame = nullptr;
    int64_t lastTicks;
    bool inIdleStuff = false;

    static int32_t knobMode;
};
