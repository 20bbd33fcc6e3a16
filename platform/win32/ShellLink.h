// Shortcut files (.lnk): dropped shortcuts stand for the files they point to.
#pragma once

#include <windows.h>

#include <string>

// Whether the name ends in ".lnk", compared without case.
bool isShortcut(const std::string& name);
// The target of the shortcut in its short (8.3) form, resolved without user interface
// within 500 ms; the shortcut's own name when it cannot be resolved.
std::string resolveShortcut(HWND window, const std::string& shortcut, size_t maxLength);
