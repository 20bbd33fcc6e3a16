// The system's image library, loaded at run time: its TransparentBlt where it exists.
// A missing library or function only selects the slower masked drawing.
#pragma once

#include <windows.h>

using TransparentBltFunction = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);

// Null when msimg32.dll or its TransparentBlt is missing. Loaded once per process.
TransparentBltFunction transparentBltFunction();
