// The editor base a plug-in hands to its host: a rectangle, a window opened
// inside the host's window, idle calls and keys. Portable; no window system here.
#pragma once

#include "host/Vst2.h"

class AudioEffect;

class AEffEditor {
public:
    // Registers itself as the plug-in's editor and sets the has-editor flag.
    explicit AEffEditor(AudioEffect* effect);
    virtual ~AEffEditor() = default;

    virtual intptr_t getRect(ERect** rect);
    virtual intptr_t open(void* parentWindow);
    virtual void close();
    virtual void idle();
    virtual void update() {}
    virtual void postUpdate() { updateFlag = 1; }
    virtual intptr_t onKeyDown(VstKeyCode& keyCode) { (void)keyCode; return -1; }
    virtual intptr_t onKeyUp(VstKeyCode& keyCode) { (void)keyCode; return -1; }
    virtual intptr_t setKnobMode(int32_t mode) { (void)mode; return 0; }
    virtual bool onWheel(float distance) { (void)distance; return false; }

    AudioEffect* getEffect() const { return effect; }

protected:
    AudioEffect* effect;
    void* systemWindow;  // the host's parent window while open
    int32_t updateFlag;
};
