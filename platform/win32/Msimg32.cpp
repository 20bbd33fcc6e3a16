#include "platform/win32/Msimg32.h"

TransparentBltFunction transparentBltFunction()
{
    // Kept for the life of the process: unloading a library from a DLL's detach is unsafe.
    static const TransparentBltFunction function = [] {
        HMODULE library = LoadLibraryA("msimg32.dll");
        return library ? reinterpret_cast<TransparentBltFunction>(
                             reinterpret_cast<void*>(GetProcAddress(library, "TransparentBlt")))
                       : nullptr;
    }();
    return function;
}
