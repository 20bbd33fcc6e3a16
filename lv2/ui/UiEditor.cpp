#include "lv2/ui/UiEditor.h"

#include "host/ResonatorPlugin.h"

#include <chrono>
#include <thread>

std::mutex& UiEditor::frameworkLock()
{
    static std::mutex lock;
    return lock;
}

void UiEditor::idleWhileWaiting()
{
    frameworkLock().unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));  // long enough for a waiting editor to take it
    frameworkLock().lock();
    ResonatorEditor::idleWhileWaiting();
}

void UiEditor::setUnannouncedParameter(int32_t index, float value)
{
    static_cast<ResonatorPlugin*>(getEffect())->setParameterAutomated(index, value);
}
