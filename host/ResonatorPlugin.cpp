#include "host/ResonatorPlugin.h"

#include <chrono>
#include <cmath>
#include <thread>

bool gOutOfMemory = false;

ResonatorPlugin::ResonatorPlugin(audioMasterCallback audioMaster) : ResonatorEngine(audioMaster)
{
    setUniqueID(vstFourCC('T', 'V', 'R', 'C'));
    if (!attachEditor())
        gOutOfMemory = true;
}

void ResonatorPlugin::setParameter(int32_t index, float value)
{
    if (!std::isfinite(value))
        return;  // the engine ignores it too; the controls keep their values
    ResonatorEngine::setParameter(index, value);
    forwardParameterToEditor(index, value);
}

void ResonatorPlugin::setEditorLink(EditorLink* link)
{
    editorLink.store(link);
    // A call that read the old link has counted itself before it did.
    while (linkCalls.load() != 0)
        std::this_thread::sleep_for(std::chrono::microseconds(100));
}
