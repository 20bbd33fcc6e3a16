#include "editor/ResonatorEditor.h"

#include "host/ResonatorPlugin.h"

ResonatorEditor::ResonatorEditor(ResonatorPlugin* plugin) : AEffEditor(plugin), rect{0, 0, kHeight, kWidth} {}

intptr_t ResonatorEditor::getRect(ERect** out)
{
    if (!out)
        return 0;
    *out = &rect;
    return 1;
}
