// The two feedback filters (left, right) over a chunk, in two steps. The
// feed-forward half b0 x[k] + b1 x[k-1] + b2 x[k-2] depends on the input
// only, so it runs four samples per vector, channel by channel. The
// recursion y[k] = ff[k] - a1 y[k-1] - a2 y[k-2] then steps both channels in
// one vector (lane 0 left, lane 1 right) sample by sample; a2 y[k-2] is
// known a sample early, so only a1 y[k-1] and one subtraction wait for the
// previous output.
#pragma once

#include "engine/Biquad.h"
#include "engine/FourLanes.h"

#include <cstdint>
#include <cstring>

class StereoBiquad {
public:
    StereoBiquad(Biquad& left, Biquad& right) : left(left), right(right)
    {
        y1 = FourFloats{left.y1, right.y1, 0.f, 0.f};
        y2 = FourFloats{left.y2, right.y2, 0.f, 0.f};
        a1 = FourFloats{left.a1, right.a1, 0.f, 0.f};
        a2 = FourFloats{left.a2, right.a2, 0.f, 0.f};
    }
    StereoBiquad(const StereoBiquad&) = delete;
    StereoBiquad& operator=(const StereoBiquad&) = delete;

    // Writes the state back into the two filters.
    ~StereoBiquad()
    {
        left.y1 = left.output = y1[0];
        right.y1 = right.output = y1[1];
        left.y2 = y2[0];
        right.y2 = y2[1];
    }

    // The feed-forward half of n <= 16 samples (inputs in xL, xR, readable up
    // to the next multiple of 4) into ff as left, right pairs (written up to
    // the next multiple of 4 samples). Adds the filters' anti-denormal offsets.
    void feedForward(const float* xL, const float* xR, float* ff, int32_t n)
    {
        // The inputs with their offsets, after the two before the chunk.
        alignas(16) float withOffsetL[kHistory + kMaxSamples];
        alignas(16) float withOffsetR[kHistory + kMaxSamples];
        withOffsetL[0] = left.x2;
        withOffsetL[1] = left.x1;
        withOffsetR[0] = right.x2;
        withOffsetR[1] = right.x1;
        FourFloats historyL{0.f, 0.f, left.x2, left.x1};  // lanes 2, 3: x[-2], x[-1]
        FourFloats historyR{0.f, 0.f, right.x2, right.x1};
        const FourFloats alternate{1.f, -1.f, 1.f, -1.f};
        const FourFloats offsetL = left.offset * alternate;
        const FourFloats offsetR = right.offset * alternate;
        for (int32_t k = 0; k < n; k += 4) {
            const FourFloats ffL = feedForward4(left, load4(xL + k) + offsetL, historyL);
            const FourFloats ffR = feedForward4(right, load4(xR + k) + offsetR, historyR);
            store4(withOffsetL + kHistory + k, historyL);
            store4(withOffsetR + kHistory + k, historyR);
            store4(ff + 2 * k, __builtin_shufflevector(ffL, ffR, 0, 4, 1, 5));
            store4(ff + 2 * k + 4, __builtin_shufflevector(ffL, ffR, 2, 6, 3, 7));
        }
        left.x2 = withOffsetL[n];
        left.x1 = withOffsetL[n + 1];
        right.x2 = withOffsetR[n];
        right.x1 = withOffsetR[n + 1];
        if (n & 1) {
            left.offset = -left.offset;
            right.offset = -right.offset;
        }
    }

    // n samples through filters that pass nothing (see Biquad::passesNothing):
    // their outputs stay zero, only the inputs x[n - 2], x[n - 1] are kept.
    void skipSilent(const float* xL, const float* xR, int32_t n)
    {
        keepLastInputs(left, xL, n);
        keepLastInputs(right, xR, n);
    }

    // One sample of both channels: ff in lanes 0 and 1.
    FourFloats step(FourFloats ff)
    {
        const FourFloats y = (ff - a2 * y2) - a1 * y1;
        y2 = y1;
        y1 = y;
        return y;
    }

private:
    static void keepLastInputs(Biquad& f, const float* x, int32_t n)
    {
        const auto withOffset = [&](int32_t k) { return x[k] + ((k & 1) ? -f.offset : f.offset); };
        f.x2 = n >= 2 ? withOffset(n - 2) : f.x1;
        f.x1 = withOffset(n - 1);
        if (n & 1)
            f.offset = -f.offset;
    }

    static constexpr int32_t kHistory = 2;
    static constexpr int32_t kMaxSamples = 16;  // a chunk, at most

    // Four samples (with their offsets) from an even one on.
    static FourFloats feedForward4(const Biquad& f, FourFloats xo, FourFloats& history)
    {
        const FourFloats x2 = __builtin_shufflevector(history, xo, 2, 3, 4, 5);
        const FourFloats x1 = __builtin_shufflevector(x2, xo, 1, 2, 5, 6);
        history = xo;
        return (splat(f.b0) * xo + splat(f.b1) * x1) + splat(f.b2) * x2;
    }

    Biquad& left;
    Biquad& right;
    FourFloats y1, y2, a1, a2;
};
