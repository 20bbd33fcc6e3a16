#include "lv2/ui/UiEditor.h"

#include "host/ResonatorPlugin.h"

void UiEditor::setUnannouncedParameter(int32_t index, float value)
{
    static_cast<ResonatorPlugin*>(getEffect())->setParameterAutomated(index, value);
}
