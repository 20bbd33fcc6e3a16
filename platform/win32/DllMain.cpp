// The DLL's load-time hook: keeps the module handle for the resources and the
// window class. Linked into the plug-in DLL only, not into test programs.
#include "platform/ModuleHandle.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        setPluginModuleHandle(instance);
        DisableThreadLibraryCalls(instance);  // no per-thread work: spare the host's thread starts
    } else if (reason == DLL_PROCESS_DETACH) {
        setPluginModuleHandle(nullptr);
    }
    return TRUE;
}
