// The plug-in without an editor: the host sees no editor flag and effEditOpen
// answers 0, so no host offers a window that cannot open.
#include "host/ResonatorPlugin.h"

bool ResonatorPlugin::attachEditor()
{
    return true;
}

void ResonatorPlugin::forwardParameterToEditor(int32_t, float) {}

void ResonatorPlugin::showCombParameterInEditor(int32_t) {}

void ResonatorPlugin::idleWhileWaiting() {}

ResonatorEditor* ResonatorPlugin::getResonatorEditor()
{
    return nullptr;
}
