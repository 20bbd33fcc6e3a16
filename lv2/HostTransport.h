// The host's tempo and position, as the time:Position objects in the event
// input last gave them, answered to the engine's time request (audioMasterGetTime).
// Each value holds until a later object changes it: hosts send one only when
// the transport or the tempo changes. Audio thread only.
#pragma once

#include "host/Vst2.h"
#include "lv2/Lv2Uris.h"

#include <lv2/atom/atom.h>

class HostTransport {
public:
    void setSampleRate(double rate);
    // Takes what a time:Position object carries; other objects are ignored.
    void read(const LV2_Atom_Object& object, const Lv2Uris& uris);
    // The transport moved on by `frames` samples.
    void advance(int32_t frames);
    // Null until the host has sent a position.
    VstTimeInfo* timeInfo();

private:
    VstTimeInfo info{};
    bool known = false;
    double beat = 0.0;          // beats since bar 0, beat 0
    double beatsPerBar = 4.0;
    double beatUnit = 4.0;
    double speed = 0.0;         // 1 = playing forwards
};
