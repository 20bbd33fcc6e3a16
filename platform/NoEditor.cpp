// The plug-in without an editor: the host sees no editor flag and effEditOpen
// answers 0, so no host offers a window that cannot open. An editor in another
// module (the LV2 UI) may follow the object through its editor link; without one,
// messages for the user go to standard error, where a host without a window of
// ours logs them.
#include "host/ResonatorPlugin.h"
#include "platform/ChildEnvironment.h"

#include <cstdio>

bool ResonatorPlugin::attachEditor()
{
    return true;
}

void ResonatorPlugin::forwardParameterToEditor(int32_t index, float value)
{
    callEditorLink([&](EditorLink& link) { link.parameterChanged(index, value); });
}

void ResonatorPlugin::showCombParameterInEditor(int32_t type)
{
    callEditorLink([&](EditorLink& link) { link.showCombParameter(type); });
}

void ResonatorPlugin::idleWhileWaiting()
{
    // The dialog waits here, in this module: the linked editor says when to give up.
    callEditorLink([](EditorLink& link) {
        if (link.idleWhileWaiting())
            child_process::abandonCurrentWait();
    });
}

void ResonatorPlugin::tellUser(const char* message)
{
    bool told = false;
    callEditorLink([&](EditorLink& link) {
        link.tellUser(message);
        told = true;
    });
    if (!told && message)
        std::fprintf(stderr, "Tovarine: %s\n", message);
}

bool ResonatorPlugin::hostChoosesFile(FileChoice which)
{
    bool hostAsks = false;
    callEditorLink([&](EditorLink& link) { hostAsks = link.hostChoosesFile(which); });
    return hostAsks;
}

bool ResonatorPlugin::hostLoadsFile(FileChoice which, const std::string& path)
{
    bool hostLoads = false;
    callEditorLink([&](EditorLink& link) { hostLoads = link.hostLoadsFile(which, path); });
    return hostLoads;
}

ResonatorEditor* ResonatorPlugin::getResonatorEditor()
{
    return nullptr;
}
