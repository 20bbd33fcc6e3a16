// Sleeping through silence. In silence the engine never reaches exact zero:
// its anti-denormal offsets keep every loop at a small alternating residue
// (about 1e-6 in the delay lines). Once the input has been exactly silent
// for a while, no envelope or glide moves, the wet output has stayed far
// below 1e-6 and everything the engine holds has settled to that residue,
// a block of silent input only keeps time: the LFO phases and the offsets'
// signs advance, the delay lines and filter states stay as they are and the
// output is silent. The first block with any input, a note, or a change the
// audio thread adopts wakes the engine, and that block runs in full.
//
// This class keeps the counters and the checks that need no engine
// internals; the engine's side is in SilenceSkipping.cpp.
#pragma once

#include <cstdint>
#include <cstring>

class SilenceWatch {
public:
    // Sleeping needs this many frames of silent input and of quiet wet output:
    // every comb's line has been rewritten since the input stopped.
    static constexpr int64_t kSettleFrames = 16384;
    // After a failed look at the lines, the next one waits this long.
    static constexpr int64_t kRescanFrames = 32768;
    // Wet output (before the host's buffer) that counts as quiet: a quarter of
    // the 1e-6 the sleeping engine may differ from the one that keeps running.
    static constexpr float kQuietOutput = 2.5e-7f;
    // Delay line contents and loop states that count as settled (the residue the
    // offsets keep them at is about 1e-6).
    static constexpr float kSettledLoop = 2e-6f;
    // The feedback path's DC blocker and output in silence (offset-driven, up to
    // about 6e-6 with full distortion).
    static constexpr float kSettledFeedback = 1e-5f;
    // The limiter's mean square: far below any threshold it has.
    static constexpr float kSettledLimiter = 1e-9f;

    // True when every sample of both channels is exactly 0 or -0; a missing
    // channel (or no inputs at all) counts as silent.
    static bool inputIsSilent(const float* const* inputs, int32_t frames)
    {
        if (!inputs || frames <= 0)
            return true;
        for (int c = 0; c < 2; ++c)
            if (inputs[c] && anyAbove(inputs[c], frames, 0.f))
                return false;
        return true;
    }

    // True when some |x[k]| > limit (limit >= 0), or some x[k] is NaN.
    static bool anyAbove(const float* x, int32_t count, float limit)
    {
        // Compared as bit patterns without the sign: the order of non-negative
        // floats, with NaN above infinity. The loop vectorises.
        int32_t bound;
        std::memcpy(&bound, &limit, sizeof(bound));
        int32_t over = 0;
        for (int32_t k = 0; k < count; ++k) {
            int32_t bits;
            std::memcpy(&bits, x + k, sizeof(bits));
            over |= (bits & 0x7FFFFFFF) > bound;
        }
        return over != 0;
    }

    void wake()
    {
        asleep = false;
        silentFrames = quietFrames = 0;
        framesToNextScan = 0;
    }

    bool enabled = true;
    bool asleep = false;
    int64_t silentFrames = 0;      // consecutive frames of silent input
    int64_t quietFrames = 0;       // of those, the latest run with quiet wet output
    int64_t framesToNextScan = 0;  // after a look at the lines found them unsettled
    uint64_t blocksSlept = 0;      // for tests and benchmarks
};
