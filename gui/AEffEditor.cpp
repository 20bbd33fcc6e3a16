#include "gui/AEffEditor.h"

#include "host/AudioEffect.h"

AEffEditor::AEffEditor(AudioEffect* effect_) : effect(effect_), systemWindow(nullptr), updateFlag(0)
{
    if (effect) {
        effect->setEditor(this);
        effect->getAeffect()->flags |= effFlagsHasEditor;
    }
}

intptr_t AEffEditor::getRect(ERect** rect)
{
    if (rect)
        *rect = nullptr;
    return 0;
}

intptr_t AEffEditor::open(void* parentWindow)
{
    systemWindow = parentWindow;
    return 0;
}

void AEffEditor::close()
{
    systemWindow = nullptr;
}

void AEffEditor::idle()
{
    if (updateFlag) {
        updateFlag = 0;
        update();
    }
}
