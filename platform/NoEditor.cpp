// The plug-in without an editor: the host sees no editor flag and effEditOpen
// answers 0, so no host offers a window that cannot open. Messages for the user
// go to standard error, where a host without a window of ours logs them.
#include "host/ResonatorPlugin.h"

#include <cstdio>

bool ResonatorPlugin::attachEditor()
{
    return true;
}

void ResonatorPlugin::forwardParameterToEditor(int32_t, float) {}

void ResonatorPlugin::showCombParameterInEditor(int32_t) {}

void ResonatorPlugin::idleWhileWaiting() {}

void ResonatorPlugin::tellUser(const char* message)
{
    if (message)
        std::fprintf(stderr, "Tovarine: %s\n", message);
}

ResonatorEditor* ResonatorPlugin::getResonatorEditor()
{
    return nullptr;
}
