#include "gui/DebugCounters.h"

#include <cstdarg>
#include <cstdio>

GuiDebugCounters& guiDebugCounters()
{
    static GuiDebugCounters counters;
    return counters;
}

void guiDebugMessage(const char* format, ...)
{
    ++guiDebugCounters().messages;
#ifndef NDEBUG
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
#else
    (void)format;
#endif
}
