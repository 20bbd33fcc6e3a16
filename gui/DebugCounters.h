// Live-object counters of the framework, for leak hunting in tests and debug builds,
// and the debug message channel (stderr in debug builds, silent otherwise).
#pragma once

#include <cstdint>

struct GuiDebugCounters {
    int32_t views = 0;
    int32_t bitmaps = 0;
    int64_t bitmapPixels = 0;
    int32_t offscreenContexts = 0;
    int32_t windowContexts = 0;
    int32_t messages = 0;  // debug messages written so far
};

GuiDebugCounters& guiDebugCounters();

void guiDebugMessage(const char* format, ...) __attribute__((format(printf, 1, 2)));
