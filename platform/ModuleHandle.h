// The operating system's handle of the loaded plug-in module (the DLL's
// instance handle on Windows, for its resources and window class); null where
// the platform has no use for it.
#pragma once

void* pluginModuleHandle();
void setPluginModuleHandle(void* handle);
