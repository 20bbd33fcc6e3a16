#include "platform/DynamicLibrary.h"

#include <windows.h>

namespace dynamic_library {

void* open(const std::string& path, std::string& error)
{
    HMODULE library = LoadLibraryA(path.c_str());
    if (!library)
        error = path + ": LoadLibrary error " + std::to_string(GetLastError());
    return reinterpret_cast<void*>(library);
}

void* symbol(void* library, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void close(void* library)
{
    FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace dynamic_library
