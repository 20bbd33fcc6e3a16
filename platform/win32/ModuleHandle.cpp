#include "platform/ModuleHandle.h"

#include <atomic>

namespace {
std::atomic<void*> moduleHandle{nullptr};
}

void* pluginModuleHandle()
{
    return moduleHandle.load();
}

void setPluginModuleHandle(void* handle)
{
    moduleHandle.store(handle);
}
