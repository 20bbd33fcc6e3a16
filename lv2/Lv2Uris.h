// The URIDs the plug-in compares against, mapped once at instantiation.
#pragma once

#include <lv2/urid/urid.h>

struct Lv2Uris {
    explicit Lv2Uris(const LV2_URID_Map& map);

    LV2_URID atomBlank, atomChunk, atomDouble, atomFloat, atomInt, atomLong, atomObject, atomPath, atomSequence,
        atomUrid;
    LV2_URID midiEvent;
    LV2_URID timePosition, timeBar, timeBarBeat, timeBeatUnit, timeBeatsPerBar, timeBeatsPerMinute, timeSpeed;
    LV2_URID patchSet, patchProperty, patchValue;
    LV2_URID tuningFileParameter, impulseFileParameter;
    LV2_URID maxBlockLength;
    LV2_URID logError, logWarning, logNote;
    LV2_URID bankKey, programKey;
};
