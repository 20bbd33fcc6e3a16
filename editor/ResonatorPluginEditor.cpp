// The plug-in's side of its editor, where the platform has an editor.
#include "host/ResonatorPlugin.h"

#include "editor/ResonatorEditor.h"

#include <new>

bool ResonatorPlugin::attachEditor()
{
    // The editor registers itself with the plug-in in its base constructor.
    return new (std::nothrow) ResonatorEditor(this) != nullptr;
}

void ResonatorPlugin::forwardParameterToEditor(int32_t index, float value)
{
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

bool ResonatorPlugin::hostChoosesFile(FileChoice)
{
    return false;  // VST 2 hosts have no way to ask: the editor's dialog does
}

bool ResonatorPlugin::hostLoadsFile(FileChoice, const std::string&)
{
    return false;  // nor a worker: the editor's thread loads the file
}

ResonatorEditor* ResonatorPlugin::getResonatorEditor()
{
    return static_cast<ResonatorEditor*>(editor);
}
