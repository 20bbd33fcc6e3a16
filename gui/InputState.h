// The mouse button state word and the host's key codes as the views see them.
#pragma once

#include <cstdint>

// Button state word, read from the current pointer and modifier state (not from events).
enum ButtonStateBits : int32_t {
    kLButton = 1,
    kMButton = 2,
    kRButton = 4,
    kShift = 8,
    kControl = 16,
    kAlt = 32,
    kApple = 64,  // reserved for other platforms; never set here
};

// Virtual keys of VstKeyCode::virt that the controls react to.
enum VirtualKeys : uint8_t {
    VKEY_LEFT = 11,
    VKEY_UP = 12,
    VKEY_RIGHT = 13,
    VKEY_DOWN = 14,
};

// VstKeyCode::modifier bits.
enum KeyModifiers : uint8_t {
    MODIFIER_SHIFT = 1,
    MODIFIER_ALTERNATE = 2,
    MODIFIER_COMMAND = 4,
    MODIFIER_CONTROL = 8,
};

// Knob modes, shared by all knobs (AEffGUIEditor::setKnobMode).
enum KnobModes : int32_t {
    kCircularMode = 0,
    kRelativCircularMode = 1,
    kLinearMode = 2,
};

// Drop types of CView::onDrop.
enum DropTypes : int32_t {
    kDropFiles = 0,
    kDropText = 1,
};
