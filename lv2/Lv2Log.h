// Messages for the user through the host's log:log, or standard error where the
// host offers none. Never called from run.
#pragma once

#include "lv2/Lv2Uris.h"

#include <lv2/log/log.h>

class Lv2Log {
public:
    Lv2Log(const LV2_Log_Log* hostLog, const Lv2Uris& uris) : hostLog(hostLog), uris(uris) {}

    void error(const char* format, ...) const __attribute__((format(printf, 2, 3)));
    void warning(const char* format, ...) const __attribute__((format(printf, 2, 3)));

private:
    void write(LV2_URID type, const char* format, va_list args) const;

    const LV2_Log_Log* hostLog;
    const Lv2Uris& uris;
};
