#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

namespace dynamic_library {

void* open(const std::string& path, std::string& error)
{
    // Kept loaded after the last dlclose, as most hosts do: the libraries it
    // pulls in (Cairo, fontconfig) keep process-wide caches that the leak
    // checker can only attribute while they are still mapped.
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!library)
        error = dlerror();
    return library;
}

void* symbol(void* library, const char* name)
{
    return dlsym(library, name);
}

void close(void* library)
{
    dlclose(library);
}

}  // namespace dynamic_library
