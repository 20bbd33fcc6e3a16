// Shared pieces of the view framework tests: a plug-in whose host records the edit
// gestures, a scripted window for mouse tracking without a window system, and views
// that count what happens to them.
#pragma once

#include "gui/AEffGUIEditor.h"
#include "gui/CControl.h"
#include "gui/CControlListener.h"
#include "gui/CFrame.h"
#include "gui/COffscreenContext.h"
#include "host/AudioEffectX.h"

#include <functional>
#include <string>
#include <vector>

// Host callback opcodes received by any RecordingEffect, in order.
std::vector<int32_t>& hostCalls();

class RecordingEffect : public AudioEffectX {
public:
    RecordingEffect();
};

class TestEditor : public AEffGUIEditor {
public:
    explicit TestEditor(AudioEffect* effect) : AEffGUIEditor(effect) { rect = {0, 0, 200, 300}; }
    void idle() override
    {
        ++idleCalls;
        AEffGUIEditor::idle();
    }
    void setFrame(CFrame* newFrame) { frame = newFrame; }
    int idleCalls = 0;
};

// A window that replays a script of pointer states: every query of the pointer position
// (one pass of a mouse-tracking loop) moves to the next step; the last step repeats.
class ScriptedPlatform : public PlatformFrame {
public:
    struct Step {
        int32_t buttons;
        CPoint where;
    };
    std::vector<Step> steps;
    size_t current = 0;
    int paintPasses = 0;
    std::function<int32_t(const std::vector<PopupMenuEntry>&)> choose;  // popup answer
    std::vector<PopupMenuEntry> lastPopup;
    CPoint lastPopupWhere;
    bool lastPopupRightButton = false;
    int popups = 0;

    void* getSystemWindow() const override { return nullptr; }
    bool isAlive() const override { return true; }
    bool isViewable() override { return true; }
    void handleEvents() override {}
    void handlePaintEvents() override { ++paintPasses; }
    CFrame* frame = nullptr;  // set once the frame exists
    CDrawContext* createDrawContext() override { return new COffscreenContext(frame, 300, 200); }
    int32_t getButtonState() override { return steps.empty() ? 0 : steps[current].buttons; }
    CPoint getMousePosition() override
    {
        if (current + 1 < steps.size())
            ++current;
        return steps.empty() ? CPoint() : steps[current].where;
    }
    int32_t popupMenu(const std::vector<PopupMenuEntry>& entries, const CPoint& where, bool rightButton) override
    {
        ++popups;
        lastPopup = entries;
        lastPopupWhere = where;
        lastPopupRightButton = rightButton;
        return choose ? choose(entries) : -1;
    }
};

// The command of the entry with this text anywhere in a popup tree, or -1.
int32_t findCommand(const std::vector<PopupMenuEntry>& entries, const std::string& text);

struct RecordingListener : CControlListener {
    struct Call {
        CControl* control;
        int32_t tag;
        float value;
    };
    std::vector<Call> calls;
    void valueChanged(CDrawContext* context, CControl* control) override
    {
        (void)context;
        calls.push_back({control, control->getTag(), control->getValue()});
    }
};

// A view that records draws, clicks, keys and drops, answering keys with `keyAnswer`.
class ProbeView : public CView {
public:
    ProbeView(const CRect& size, std::vector<std::string>* log, std::string name, intptr_t keyAnswer = -1)
        : CView(size), log(log), name(std::move(name)), keyAnswer(keyAnswer) {}
    void draw(CDrawContext*) override { ++draws; }
    void mouse(CDrawContext*, CPoint&) override { log->push_back(name + ".mouse"); }
    intptr_t onKeyDown(VstKeyCode&) override
    {
        log->push_back(name + ".key");
        return keyAnswer;
    }
    bool onDrop(void**, int32_t count, int32_t, CPoint&) override
    {
        log->push_back(name + ".drop" + std::to_string(count));
        return true;
    }
    void looseFocus(CDrawContext*) override { log->push_back(name + ".looseFocus"); }
    int draws = 0;

private:
    std::vector<std::string>* log;
    std::string name;
    intptr_t keyAnswer;
};
