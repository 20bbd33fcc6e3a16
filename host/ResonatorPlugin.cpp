#include "host/ResonatorPlugin.h"

#include "editor/ResonatorEditor.h"

#include <cmath>
#include <new>

bool gOutOfMemory = false;

ResonatorPlugin::ResonatorPlugin(audioMasterCallback audioMaster) : ResonatorEngine(audioMaster)
{
    setUniqueID(vstFourCC('T', 'V', 'R', 'C'));
    // The editor registers itself with the plug-in in its base constructor.
    if (!new (std::nothrow) ResonatorEditor(this))
        gOutOfMemory = true;
}

void ResonatorPlugin::setParameter(int32_t index, float value)
{
    if (!std::isfinite(value))
        return;  // the engine ignores it too; the controls keep their values
    ResonatorEngine::setParameter(index, value);
    if (ResonatorEditor* e = getResonatorEditor())
        e->setParameter(index, value);
}

void ResonatorPlugin::showCombParameterInEditor(int32_t type)
{
    if (ResonatorEditor* e = getResonatorEditor())
        e->showCombParameter(type);
}

void ResonatorPlugin::idleWhileWaiting()
{
    if (ResonatorEditor* e = getResonatorEditor())
        e->idleWhileWaiting();
}

void ResonatorPlugin::tellUser(const char* message)
{
    if (ResonatorEditor* e = getResonatorEditor())
        e->tellUser(message);
}

ResonatorEditor* ResonatorPlugin::getResonatorEditor()
{
    return static_cast<ResonatorEditor*>(editor);
}
