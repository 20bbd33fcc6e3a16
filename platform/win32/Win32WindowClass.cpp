#include "platform/win32/Win32WindowClass.h"

#include "platform/ModuleHandle.h"

#include <cstdint>
#include <cstdio>

namespace {
int useCount = 0;
bool swapped = false;
char className[32] = {};
}  // namespace

HINSTANCE Win32WindowClass::instance()
{
    // Test programs that link the framework directly have no plug-in module.
    void* module = pluginModuleHandle();
    return module ? static_cast<HINSTANCE>(module) : GetModuleHandleA(nullptr);
}

const char* Win32WindowClass::acquire(WNDPROC procedure)
{
    if (useCount++ > 0)
        return className;
    std::snprintf(className, sizeof className, "Plugin%08llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(instance())));
    WNDCLASSA windowClass{};
    windowClass.style = CS_GLOBALCLASS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance();
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    if (!RegisterClassA(&windowClass)) {
        useCount = 0;
        return nullptr;
    }
    swapped = GetSystemMetrics(SM_SWAPBUTTON) != 0;
    return className;
}

void Win32WindowClass::release()
{
    if (useCount > 0 && --useCount == 0)
        UnregisterClassA(className, instance());
}

bool Win32WindowClass::swappedButtons()
{
    return swapped;
}
