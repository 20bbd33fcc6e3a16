// The sounding combs of one block laid out as lanes, so the resonator loop
// runs 4, 8 or 16 combs per vector operation. Lanes follow the block's lists
// (modulated combs, then static ones); the last group of eight is padded with
// silent lanes that write into a spare row.
#pragma once

#include "engine/CombBank.h"

#include <cstdint>

constexpr int kLaneGroupWidth = 8;  // lanes are padded to whole groups of eight
constexpr int kMaxChunk = 16;       // samples per sub-block

typedef float MixLanes __attribute__((vector_size(16)));

// A sample's partial sums of the output mix, eight of the left side and eight
// of both sides together (the right is their difference) whatever the kernel
// width: lane l adds into sum l mod 8, the lanes in their order, so every
// kernel adds alike and renders the same bits.
constexpr int kMixWidth = 8;
struct MixPair {
    alignas(32) float left[kMixWidth];
    alignas(32) float both[kMixWidth];
};

// The eight partial sums of a side folded to four, 0..3 + 4..7.
inline MixLanes foldMix(const float (&sums)[kMixWidth])
{
    MixLanes halves[2];
    static_assert(sizeof(halves) == sizeof(sums));
    __builtin_memcpy(halves, sums, sizeof(halves));
    return halves[0] + halves[1];
}

// The right side's partial sums, folded as foldMix does.
inline MixLanes foldRightMix(const MixPair& mix)
{
    return foldMix(mix.both) - foldMix(mix.left);
}

// Loop variants, chosen once per block so the per-sample loop has no per-comb branches.
enum LoopVariant : int {
    kPlainLoop = 0,    // lowpass and gain only
    kStiffLoop = 1,    // plus the allpass
    kTensionLoop = 2,  // plus the allpass and the amplitude follower
};

struct CombLanes {
    CombLanes()
    {
        for (int32_t& lane : laneOfComb)
            lane = -1;
    }

    int32_t count = 0;          // lanes in use, a multiple of 8
    int32_t comb[kCombCount];   // comb of each lane, -1 for padding
    int32_t laneOfComb[kCombCount];  // -1 when the comb is not sounding

    // Settings, taken once per block; the LFO-driven ones and the weights (tension
    // moves) are refreshed between sub-blocks.
    alignas(32) float inPan[kCombCount];        // share of the left input (the rest is the right's)
    alignas(32) float lowpassGain[kCombCount];  // LFO on the lowpass: (1 + L d) - |d|, 1 when static
    alignas(32) float position[kCombCount];     // share sent left: L Pan / 2 + PanPos, PanPos when static
    alignas(32) float bright[kCombCount];
    alignas(32) float decay[kCombCount];
    alignas(32) float stiff[kCombCount];
    alignas(32) float weight[4][kCombCount];    // Lagrange h0..h3

    // The settings the refresh between sub-blocks works from.
    alignas(32) float lfoDepth[kCombCount];     // LFO2Dec - 0.5
    alignas(32) float lfoDepthSize[kCombCount]; // |LFO2Dec - 0.5|
    alignas(32) float pan[kCombCount];          // LFO depth on the position
    alignas(32) float panCentre[kCombCount];    // PanPos
    alignas(32) float velocity[kCombCount];     // velocity sensitivity of the output gain
    alignas(32) float out[kCombCount];          // output gain, 0 for padding
    alignas(32) float lfo[kCombCount];          // the modulated lanes' LFO values of this sub-block
    alignas(32) uint32_t lfoPhase[kCombCount];  // and their LFOs, taken for the block
    alignas(32) uint32_t lfoIncrement[kCombCount];

    // Loop state, taken from the comb bank at the start of a block and written back at its end.
    alignas(32) float lowpass[kCombCount];
    alignas(32) float allpass[kCombCount];
    alignas(32) float last[kCombCount];
    alignas(32) float follower[kCombCount];
    int32_t writeIndex[kCombCount];
    int32_t readIndex[kCombCount];
    float* buffer[kCombCount];

    // Output gain ((envLevel - 1) Velocity + 1) Out of every lane at every sample of the chunk.
    alignas(32) float gain[kMaxChunk][kCombCount];
    alignas(32) float envelope[kCombCount];  // envLevel of the lane's comb, kept for the block
    // Per four lanes: how many rows of `gain` hold one unchanging gain (0: none).
    int32_t heldGainRows[kCombCount / 4];
};

struct TensionRates {
    float rise;   // follower smoothing while the level rises
    float fall;   // and while it falls
    float depth;  // loop shortening per unit of follower x Stiff
};

// Per-sample inputs of the resonators for one chunk, and their summed outputs.
struct ChunkSignals {
    alignas(32) float excitationLeft[kMaxChunk];   // input + feedback, left
    alignas(32) float excitationRight[kMaxChunk];
    alignas(32) float combOffset[kMaxChunk];
    alignas(32) float feedbackOffset[kMaxChunk];
    alignas(32) float inputLeft[kMaxChunk];
    alignas(32) float inputRight[kMaxChunk];
    MixPair mix[kMaxChunk];  // per-lane partial sums over the groups
};

// Runs every lane over a chunk of `frames` samples (phase B of the audio loop).
typedef void (*CombKernel)(LoopVariant variant, CombLanes& lanes, ChunkSignals& signals, const TensionRates& tension,
                           int32_t frames);
// Four lanes: with 128-bit FMA where the CPU has it (the wider kernels' bits), else plain SSE2.
void combKernelNarrow(LoopVariant, CombLanes&, ChunkSignals&, const TensionRates&, int32_t frames);
void combKernelNarrowPlain(LoopVariant, CombLanes&, ChunkSignals&, const TensionRates&, int32_t frames);  // SSE2
void combKernelNarrowFused(LoopVariant, CombLanes&, ChunkSignals&, const TensionRates&, int32_t frames);  // FMA
void combKernelWide(LoopVariant, CombLanes&, ChunkSignals&, const TensionRates&, int32_t frames);     // AVX2, FMA
void combKernelWidest(LoopVariant, CombLanes&, ChunkSignals&, const TensionRates&, int32_t frames);   // AVX-512
// Whether combKernelNarrow uses FMA, for the whole process (on by default
// where the CPU has it): tests and the reference renders turn it off to
// render what processors without FMA render. Gives what it now does.
bool useFmaInNarrowKernel(bool fused);

// Lanes per vector operation of the kernels; every width renders the same bits
// (four lanes where the CPU has FMA).
enum KernelWidth : int {
    kFourLanes = 4,      // SSE2, every x86-64 CPU
    kEightLanes = 8,     // AVX2 and FMA
    kSixteenLanes = 16,  // AVX-512
};
// The widest kernel this CPU (and its operating system) runs.
KernelWidth widestKernelWidth();
