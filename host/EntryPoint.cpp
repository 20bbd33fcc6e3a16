// The only symbols the library exports. Most hosts look up VSTPluginMain;
// Ardour and older hosts look up main. On Windows the module-definition file
// exports VSTPluginMain under both names.

#include "host/ResonatorPlugin.h"

#include <new>

namespace {

AEffect* createInstance(audioMasterCallback audioMaster)
{
    if (!audioMaster || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0.f) == 0)
        return nullptr;  // hosts older than VST 2 are refused
    try {
        // Each instance is judged on its own allocations: one failure in the
        // past must not refuse every later instance of the process.
        gOutOfMemory = false;
        auto* plugin = new (std::nothrow) ResonatorPlugin(audioMaster);
        if (!plugin)
            return nullptr;
        if (gOutOfMemory || !plugin->isComplete()) {
            delete plugin;
            return nullptr;
        }
        return plugin->getAeffect();
    } catch (...) {
        return nullptr;  // never let an exception cross into the host
    }
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback audioMaster)
{
    return createInstance(audioMaster);
}

// A C++ function cannot be called main with this signature; the asm label gives the symbol its name.
__attribute__((visibility("default"))) AEffect* VSTCALLBACK vstLegacyMain(audioMasterCallback audioMaster) __asm__("main");
AEffect* VSTCALLBACK vstLegacyMain(audioMasterCallback audioMaster)
{
    return createInstance(audioMaster);
}

}  // extern "C"
