#include "lv2/Lv2Uris.h"

#include "lv2/Lv2Ids.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/log/log.h>
#include <lv2/midi/midi.h>
#include <lv2/patch/patch.h>
#include <lv2/time/time.h>

Lv2Uris::Lv2Uris(const LV2_URID_Map& map)
{
    const auto id = [&map](const char* uri) { return map.map(map.handle, uri); };
    atomBlank = id(LV2_ATOM__Blank);
    atomChunk = id(LV2_ATOM__Chunk);
    atomDouble = id(LV2_ATOM__Double);
    atomFloat = id(LV2_ATOM__Float);
    atomInt = id(LV2_ATOM__Int);
    atomLong = id(LV2_ATOM__Long);
    atomObject = id(LV2_ATOM__Object);
    atomPath = id(LV2_ATOM__Path);
    atomSequence = id(LV2_ATOM__Sequence);
    atomUrid = id(LV2_ATOM__URID);
    midiEvent = id(LV2_MIDI__MidiEvent);
    timePosition = id(LV2_TIME__Position);
    timeBar = id(LV2_TIME__bar);
    timeBarBeat = id(LV2_TIME__barBeat);
    timeBeatUnit = id(LV2_TIME__beatUnit);
    timeBeatsPerBar = id(LV2_TIME__beatsPerBar);
    timeBeatsPerMinute = id(LV2_TIME__beatsPerMinute);
    timeSpeed = id(LV2_TIME__speed);
    patchSet = id(LV2_PATCH__Set);
    patchProperty = id(LV2_PATCH__property);
    patchValue = id(LV2_PATCH__value);
    tuningFileParameter = id(lv2_ids::kTuningFileParameter);
    impulseFileParameter = id(lv2_ids::kImpulseFileParameter);
    maxBlockLength = id(LV2_BUF_SIZE__maxBlockLength);
    logError = id(LV2_LOG__Error);
    logWarning = id(LV2_LOG__Warning);
    logNote = id(LV2_LOG__Note);
    bankKey = id(lv2_ids::kBankKey);
    programKey = id(lv2_ids::kProgramKey);
}
