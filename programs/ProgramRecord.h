// One stored program and its per-resonator part. The host saves these bytes
// verbatim as chunks, so every offset below is a file format: never reorder.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kNumPrograms = 32;
constexpr int kNumParams = 43;
constexpr int kNumCombs = 88;
constexpr int kFirstCombNote = 12;  // resonator i plays MIDI note i + 12

struct CombSettings {
    float normalPitch;       // frequency = 4 * 1024^value Hz
    float Delay;             // loop period in samples = sample rate / frequency
    float Decay;             // loop gain
    float Stiff;             // allpass dispersion and tension depth
    float Bright;            // loop lowpass, 1 = no damping
    float LFOfreq;           // LFO rate value^3 * 20 Hz
    float Out;               // output gain, 0 = resonator not processed
    float inPan;             // input balance left/right
    float Pan;               // LFO depth on the output position
    float PanPos;            // output position
    float LFO2Dec;           // LFO modulation of the lowpass, 0.5 = none
    float Velocity2Pitch;    // stored, never read by the engine
    float PitchGlide;        // stored, never read by the engine
    float envAttack;
    int32_t envAttackSamples;   // engine copy only
    float envDecay;
    int32_t envDecaySamples;    // engine copy only
    float envSustain;
    float envRelease;
    int32_t envReleaseSamples;  // engine copy only
    float Velocity;          // envelope depth, 0 = envelope ignored
};

constexpr std::size_t kProgramNameSize = 24;
constexpr std::size_t kTuningMapPathSize = 200;
constexpr std::size_t kProgramVersionSize = 8;
// The version text a new record carries: part of the stored format, so it stays
// as it is when the product's version moves on (the factory programs say "1.0").
inline constexpr const char* kNewRecordVersion = "1.2";

struct ProgramRecord {
    float fParams[kNumParams];
    CombSettings combSettings[kNumCombs];
    char name[kProgramNameSize];
    char tuningMapPath[kTuningMapPathSize];
    char version[kProgramVersionSize];

    ProgramRecord();  // the default program "Init"
};

static_assert(sizeof(CombSettings) == 84);
static_assert(offsetof(CombSettings, envAttackSamples) == 56);
static_assert(offsetof(CombSettings, envReleaseSamples) == 76);
static_assert(offsetof(CombSettings, Velocity) == 80);
static_assert(sizeof(ProgramRecord) == 7796);
static_assert(offsetof(ProgramRecord, combSettings) == 172);
static_assert(offsetof(ProgramRecord, name) == 7564);
static_assert(offsetof(ProgramRecord, tuningMapPath) == 7588);
static_assert(offsetof(ProgramRecord, version) == 7788);
static_assert(sizeof(ProgramRecord[kNumPrograms]) == 249472);

// Copies text into a fixed field, always leaving it NUL-terminated.
void copyText(char* dest, std::size_t destSize, const char* source);
// Length of a stored text that may lack its NUL (restored chunks can carry anything).
std::size_t boundedLength(const char* text, std::size_t fieldSize);
