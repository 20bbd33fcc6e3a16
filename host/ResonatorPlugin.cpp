#include "host/ResonatorPlugin.h"

#include <cmath>

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
