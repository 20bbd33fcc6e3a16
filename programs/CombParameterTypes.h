// The per-resonator setting types 3..17: which stored field each addresses,
// and the value the reset command gives it. The editor's type selector lists
// them in this order.
#pragma once

#include "programs/ProgramRecord.h"

#include <cmath>
#include <cstdint>

namespace comb_type {

constexpr int32_t kPitch = 3, kDecay = 4, kBright = 5, kStiff = 6, kAttack = 7, kDecayTime = 8, kSustain = 9,
                  kRelease = 10, kOut = 11, kInPan = 12, kPanPos = 13, kVelocity = 14, kLfoFreq = 15,
                  kLfoToBright = 16, kPan = 17;
constexpr int32_t kFirst = kPitch;
constexpr int32_t kLast = kPan;

constexpr bool isValid(int32_t type)
{
    return type >= kFirst && type <= kLast;
}

// The stored field of a type; null outside 3..17.
inline float CombSettings::* fieldOf(int32_t type)
{
    switch (type) {
    case kPitch: return &CombSettings::normalPitch;
    case kDecay: return &CombSettings::Decay;
    case kBright: return &CombSettings::Bright;
    case kStiff: return &CombSettings::Stiff;
    case kAttack: return &CombSettings::envAttack;
    case kDecayTime: return &CombSettings::envDecay;
    case kSustain: return &CombSettings::envSustain;
    case kRelease: return &CombSettings::envRelease;
    case kOut: return &CombSettings::Out;
    case kInPan: return &CombSettings::inPan;
    case kPanPos: return &CombSettings::PanPos;
    case kVelocity: return &CombSettings::Velocity;
    case kLfoFreq: return &CombSettings::LFOfreq;
    case kLfoToBright: return &CombSettings::LFO2Dec;
    case kPan: return &CombSettings::Pan;
    default: return nullptr;
    }
}

// What "(Reset)" sets for types 4..17 (pitch resets to the standard tuning instead).
inline float resetValueOf(int32_t type)
{
    switch (type) {
    case kDecay: return 0.96f;
    case kBright: return 0.85f;
    case kAttack: return 0.3f;
    case kDecayTime: return 0.3f;
    case kSustain: return 1.0f;
    case kRelease: return 0.3f;
    case kInPan: return 0.5f;
    case kPanPos: return 0.5f;
    case kVelocity: return 0.5f;
    case kLfoFreq: return 0.1f;
    case kLfoToBright: return 0.5f;
    default: return 0.f;  // Stiff, Out, Pan
    }
}

// Global parameter 1 selects the type: floor(p1 * 14.5 + 3), so 0 -> 3 and
// 1 -> 17. Answers 0 for a value that selects no type (p1 outside 0..1).
inline int32_t selectedBy(float parameter1)
{
    const double t = std::floor(static_cast<double>(parameter1) * 14.5 + 3.0);
    return (t >= kFirst && t <= kLast) ? static_cast<int32_t>(t) : 0;
}

}  // namespace comb_type
