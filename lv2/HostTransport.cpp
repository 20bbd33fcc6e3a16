#include "lv2/HostTransport.h"

#include <lv2/atom/util.h>

#include <cmath>

namespace {

// Hosts send numbers as any of the atom number types.
bool numberOf(const LV2_Atom* atom, const Lv2Uris& uris, double& out)
{
    if (!atom)
        return false;
    const void* body = LV2_ATOM_BODY_CONST(atom);
    if (atom->type == uris.atomFloat && atom->size >= sizeof(float))
        out = *static_cast<const float*>(body);
    else if (atom->type == uris.atomDouble && atom->size >= sizeof(double))
        out = *static_cast<const double*>(body);
    else if (atom->type == uris.atomInt && atom->size >= sizeof(int32_t))
        out = *static_cast<const int32_t*>(body);
    else if (atom->type == uris.atomLong && atom->size >= sizeof(int64_t))
        out = static_cast<double>(*static_cast<const int64_t*>(body));
    else
        return false;
    return std::isfinite(out);
}

}  // namespace

void HostTransport::setSampleRate(double rate)
{
    info.sampleRate = rate;
}

void HostTransport::read(const LV2_Atom_Object& object, const Lv2Uris& uris)
{
    if (object.body.otype != uris.timePosition)
        return;
    const LV2_Atom* bar = nullptr;
    const LV2_Atom* barBeat = nullptr;
    const LV2_Atom* perBar = nullptr;
    const LV2_Atom* unit = nullptr;
    const LV2_Atom* bpm = nullptr;
    const LV2_Atom* newSpeed = nullptr;
    lv2_atom_object_get(&object, uris.timeBar, &bar, uris.timeBarBeat, &barBeat, uris.timeBeatsPerBar, &perBar,
                        uris.timeBeatUnit, &unit, uris.timeBeatsPerMinute, &bpm, uris.timeSpeed, &newSpeed, 0);
    known = true;
    double value = 0.0;
    if (numberOf(bpm, uris, value) && value > 0.0) {
        info.tempo = value;
        info.flags |= kVstTempoValid;
    }
    if (numberOf(perBar, uris, value) && value >= 1.0) {
        beatsPerBar = value;
        info.timeSigNumerator = static_cast<int32_t>(std::lround(value));
        info.flags |= kVstTimeSigValid;
    }
    if (numberOf(unit, uris, value) && value >= 1.0) {
        beatUnit = value;
        info.timeSigDenominator = static_cast<int32_t>(std::lround(value));
    }
    if (info.timeSigDenominator <= 0)
        info.timeSigDenominator = 4;
    double barNumber = 0.0;
    double beatInBar = 0.0;
    const bool hasBar = numberOf(bar, uris, barNumber);
    const bool hasBeat = numberOf(barBeat, uris, beatInBar);
    if (hasBar || hasBeat) {
        beat = barNumber * beatsPerBar + beatInBar;
        info.flags |= kVstPpqPosValid | kVstBarsValid;
    }
    if (numberOf(newSpeed, uris, value)) {
        speed = value;
        if (speed != 0.0)
            info.flags |= kVstTransportPlaying;
        else
            info.flags &= ~kVstTransportPlaying;
        info.flags |= kVstTransportChanged;
    }
}

void HostTransport::advance(int32_t frames)
{
    if (!known || speed == 0.0)
        return;
    info.samplePos += frames * speed;
    if ((info.flags & kVstTempoValid) && info.sampleRate > 0.0)
        beat += frames * speed * info.tempo / (60.0 * info.sampleRate);
    info.flags &= ~kVstTransportChanged;
}

VstTimeInfo* HostTransport::timeInfo()
{
    if (!known)
        return nullptr;
    // Quarter notes: a beat is 4 / beatUnit of them.
    const double quarterPerBeat = 4.0 / beatUnit;
    info.ppqPos = beat * quarterPerBeat;
    info.barStartPos = std::floor(beat / beatsPerBar) * beatsPerBar * quarterPerBeat;
    return &info;
}
