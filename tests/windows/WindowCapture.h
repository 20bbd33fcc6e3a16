// Saves what the screen shows of a window as a PNG file (through the Windows Imaging
// Component), for the README's picture of the editor under Wine.
#pragma once

#include <windows.h>

bool saveWindowAsPng(HWND window, const wchar_t* path);
