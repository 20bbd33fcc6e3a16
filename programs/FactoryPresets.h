// The five factory programs that a new instance starts with.
#pragma once

#include "programs/ProgramRecord.h"

// Value of the stored words that nothing uses as a setting (global parameters
// 2, 13, 16, 18, 19, 35..41 and every resonator's Velocity2Pitch and
// PitchGlide). Zero keeps what hosts read through getParameter within 0..1.
constexpr float kUnusedWordValue = 0.f;

// Overwrites programs 0..4 of a store of kNumPrograms default records;
// programs 5..31 are left as they are ("Init"). The engine-only sample words
// are not touched.
void fillFactoryPresets(ProgramRecord* programs);
