// Loading a plug-in library as a host does, for the test host: dlopen on
// Linux, LoadLibrary on Windows. Not part of the plug-in itself.
#pragma once

#include <string>

namespace dynamic_library {

// Null when the library cannot be loaded; error then says why.
void* open(const std::string& path, std::string& error);
// Null when the library has no such exported symbol.
void* symbol(void* library, const char* name);
void close(void* library);

}  // namespace dynamic_library
