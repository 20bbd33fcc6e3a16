#include "lv2/Lv2Log.h"

#include <cstdarg>
#include <cstdio>

void Lv2Log::error(const char* format, ...) const
{
    va_list args;
    va_start(args, format);
    write(uris.logError, format, args);
    va_end(args);
}

void Lv2Log::warning(const char* format, ...) const
{
    va_list args;
    va_start(args, format);
    write(uris.logWarning, format, args);
    va_end(args);
}

void Lv2Log::write(LV2_URID type, const char* format, va_list args) const
{
    char text[512];
    std::vsnprintf(text, sizeof(text), format, args);
    if (hostLog)
        hostLog->printf(hostLog->handle, type, "Tovarine: %s\n", text);
    else
        std::fprintf(stderr, "Tovarine: %s\n", text);
}
