#include "gui/AEffGUIEditor.h"

#include "gui/CDrawContext.h"
#include "gui/CFrame.h"
#include "gui/InputState.h"
#include "host/AudioEffectX.h"

#include <chrono>
#include <memory>
#include <thread>

int32_t AEffGUIEditor::knobMode = kCircularMode;

namespace {
// doIdleStuff sleeps this long when called again before its next due time, and gives up
// for this pass while it is still more than kIdleSkipMs early.
constexpr int64_t kIdleSleepMs = 4;
constexpr int64_t kIdleSkipMs = 50;
// Minimum spacing of the editor idle runs from doIdleStuff.
constexpr int64_t kIdleIntervalMs = 100;
}  // namespace

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect_) : AEffEditor(effect_), lastTicks(getTicks()) {}

AEffGUIEditor::~AEffGUIEditor()
{
    delete frame;
    frame = nullptr;
}

int64_t AEffGUIEditor::getTicks()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

intptr_t AEffGUIEditor::getRect(ERect** out)
{
    if (!out)
        return 0;
    *out = &rect;
    return 1;
}

intptr_t AEffGUIEditor::open(void* parentWindow)
{
    return AEffEditor::open(parentWindow);
}

void AEffGUIEditor::close()
{
    delete frame;
    frame = nullptr;
    AEffEditor::close();
}

void AEffGUIEditor::idle()
{
    if (inIdleStuff)
        return;
    if (updateFlag) {
        updateFlag = 0;
        update();
    }
    if (frame)
        frame->idle();
}

intptr_t AEffGUIEditor::onKeyDown(VstKeyCode& keyCode)
{
    return frame ? frame->onKeyDown(keyCode) : -1;
}

intptr_t AEffGUIEditor::onKeyUp(VstKeyCode& keyCode)
{
    return frame ? frame->onKeyUp(keyCode) : -1;
}

intptr_t AEffGUIEditor::setKnobMode(int32_t mode)
{
    knobMode = mode;
    return 1;
}

bool AEffGUIEditor::onWheel(float distance)
{
    return frame ? frame->onWheel(nullptr, CPoint(), distance) : false;
}

void AEffGUIEditor::draw(ERect* area)
{
    (void)area;
    if (!frame)
        return;
    std::unique_ptr<CDrawContext> context(frame->createDrawContext());
    if (context)
        frame->draw(context.get());
}

void AEffGUIEditor::doIdleStuff()
{
    int64_t now = getTicks();
    if (now < lastTicks) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kIdleSleepMs));
        now += kIdleSleepMs;
        if (now < lastTicks - kIdleSkipMs)
            return;
    }
    idle();
    if (frame && frame->getPlatformFrame())
        frame->getPlatformFrame()->handlePaintEvents();
    lastTicks = now + kIdleIntervalMs;
    inIdleStuff = true;
    if (effect)
        effect->masterIdle();
    inIdleStuff = false;
}

bool AEffGUIEditor::beginEdit(int32_t index)
{
    auto* effectX = dynamic_cast<AudioEffectX*>(effect);
    return effectX ? effectX->beginEdit(index) : false;
}

bool AEffGUIEditor::endEdit(int32_t index)
{
    auto* effectX = dynamic_cast<AudioEffectX*>(effect);
    return effectX ? effectX->endEdit(index) : false;
}
