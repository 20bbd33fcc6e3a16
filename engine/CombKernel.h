// The resonator kernel: a group of W combs (one per vector lane) over a chunk
// of samples. Per comb and sample: input and feedback into the loop, lowpass,
// gain, allpass (stiffness and tension variants), delay line write, four-tap
// Lagrange read, output gain, follower (tension), position. Compiled for 4
// lanes (SSE2, and SSE with FMA), 8 (AVX2 with FMA) and 16 (AVX-512, with an
// 8-lane tail); all with FMA give the same bits, the plain SSE2 build for
// processors without it differs in the last bits of its products. Everything
// here has internal linkage: the AVX-512 build's 8-lane code must not stand in
// for the AVX2 build's.
#pragma once

#include "engine/CombLanes.h"
#include "engine/LaneTranspose.h"
#include "engine/LaneVectors.h"

#include <cstring>

namespace {
namespace combkernel {

template <int W>
using Vec = lanevectors::Lanes<W>;

template <int W>
inline typename Vec<W>::Floats load(const float* p)
{
    return lanevectors::load<typename Vec<W>::Floats>(p);
}

template <int W>
inline void store(float* p, typename Vec<W>::Floats v)
{
    lanevectors::store(p, v);
}

template <int W>
inline typename Vec<W>::Floats splat(float x)
{
    if constexpr (W == 16) {
#if defined(__AVX512F__)
        return _mm512_set1_ps(x);
#endif
    } else if constexpr (W == 8) {
#if defined(__AVX__)
        return _mm256_set1_ps(x);
#endif
    } else if constexpr (W == 4) {
        return _mm_set1_ps(x);
    }
    typename Vec<W>::Floats v;  // not reached: the builds have the instructions
    for (int j = 0; j < W; ++j)
        v[j] = x;
    return v;
}

// An input of the chunk as W lanes: a float spread, or SpreadInputs' vector as it is.
template <int W>
inline typename Vec<W>::Floats spread(float x)
{
    return splat<W>(x);
}

template <int W>
inline typename Vec<W>::Floats spread(typename Vec<W>::Floats v)
{
    return v;
}

// a b + c rounded once, through the instruction itself rather than the
// compiler's contraction, so that every compiler and target rounds alike. The
// plain SSE2 build, for processors without FMA, rounds the product too.
template <int W>
inline typename Vec<W>::Floats multiplyAdd(typename Vec<W>::Floats a, typename Vec<W>::Floats b,
                                           typename Vec<W>::Floats c)
{
    if constexpr (W == 16) {
#if defined(__AVX512F__)
        return _mm512_fmadd_ps(a, b, c);
#else
        static_assert(W != 16, "the 16-lane kernel is built with AVX-512");
#endif
    } else if constexpr (W == 8) {
#if defined(__FMA__)
        return _mm256_fmadd_ps(a, b, c);
#else
        static_assert(W != 8, "the 8-lane kernel is built with FMA");
#endif
    } else {
#if defined(__FMA__)
        return _mm_fmadd_ps(a, b, c);
#else
        return a * b + c;
#endif
    }
}

// c - a b rounded once (rounded twice by the plain SSE2 build).
template <int W>
inline typename Vec<W>::Floats multiplySubtract(typename Vec<W>::Floats a, typename Vec<W>::Floats b,
                                                typename Vec<W>::Floats c)
{
    if constexpr (W == 16) {
#if defined(__AVX512F__)
        return _mm512_fnmadd_ps(a, b, c);
#else
        static_assert(W != 16, "the 16-lane kernel is built with AVX-512");
#endif
    } else if constexpr (W == 8) {
#if defined(__FMA__)
        return _mm256_fnmadd_ps(a, b, c);
#else
        static_assert(W != 8, "the 8-lane kernel is built with FMA");
#endif
    } else {
#if defined(__FMA__)
        return _mm_fnmadd_ps(a, b, c);
#else
        return c - a * b;
#endif
    }
}

// Adds the outputs v of a group of W lanes from lane `first` to a sample's
// mixes, each into its lane's partial sum: `position` of it to the left, all
// of it to both sides' sum (the right is that sum less the left, one
// multiply-add per lane and sample instead of two). Sixteen lanes add their
// two halves in turn.
template <int W>
inline void addToMixes(MixPair& mix, int32_t first, typename Vec<W>::Floats position, typename Vec<W>::Floats v)
{
    if constexpr (W > kMixWidth) {
#if defined(__AVX512F__)
        static_assert(W == 2 * kMixWidth);
        const auto low = [](__m512 x) { return _mm512_castps512_ps256(x); };
        const auto high = [](__m512 x) { return _mm256_castpd_ps(_mm512_extractf64x4_pd(_mm512_castps_pd(x), 1)); };
        addToMixes<kMixWidth>(mix, first, low(position), low(v));
        addToMixes<kMixWidth>(mix, first + kMixWidth, high(position), high(v));
#else
        static_assert(W <= kMixWidth, "the 16-lane kernel is built with AVX-512");
#endif
    } else {
        static_assert(kMixWidth % W == 0);
        float* left = mix.left + first % kMixWidth;
        float* both = mix.both + first % kMixWidth;
        store<W>(left, multiplyAdd<W>(position, v, load<W>(left)));
        store<W>(both, load<W>(both) + v);
    }
}

// The chunk's per-sample inputs as every lane takes them: a lane panned by p
// gets 0.2 (p L + (1 - p) R) + offset = 0.2 p (L - R) + (0.2 R + offset), one
// multiply-add from two values made here once per chunk.
struct ChunkInputs {
    alignas(32) float side[kMaxChunk];    // L - R
    alignas(32) float centre[kMaxChunk];  // 0.2 R + comb offset
    alignas(32) float feedbackOffset[kMaxChunk];

    ChunkInputs(const ChunkSignals& signals, int32_t n)
    {
        for (int32_t k = 0; k < n; ++k) {
            side[k] = signals.excitationLeft[k] - signals.excitationRight[k];
            centre[k] = 0.2f * signals.excitationRight[k] + signals.combOffset[k];
            feedbackOffset[k] = signals.feedbackOffset[k];
        }
    }
};

// The same spread over W lanes: SSE2 takes two instructions to spread a float
// (AVX loads it spread), so the four-lane kernel reads these instead of
// spreading per group and sample.
template <int W>
struct SpreadInputs {
    typedef typename Vec<W>::Floats F;
    F side[kMaxChunk], centre[kMaxChunk], feedbackOffset[kMaxChunk];

    explicit SpreadInputs(const ChunkInputs& inputs, int32_t n)
    {
        for (int32_t k = 0; k < n; ++k) {
            side[k] = splat<W>(inputs.side[k]);
            centre[k] = splat<W>(inputs.centre[k]);
            feedbackOffset[k] = splat<W>(inputs.feedbackOffset[k]);
        }
    }
};

// How a group reaches its delay lines over a chunk.
enum LineAccess : int {
    // Some lane's write or read position wraps around the ring in the chunk.
    kWrapping = 0,
    // None wraps (all but about one chunk in a thousand): positions are plain
    // offsets from where the chunk starts and need no masking.
    kContiguous = 1,
    // A whole chunk, none wraps, and every lane's delay is at least chunk + 3,
    // so no tap read in the chunk is written in it: the 16 newest taps of each
    // lane are read before the chunk and its 16 inputs written after it.
    kWholeChunk = 2,
};

template <int Variant, int W, int Access>
struct LaneGroup {
    static constexpr bool Contiguous = Access != kWrapping;
    typedef typename Vec<W>::Floats F;
    typedef typename Vec<W>::Ints I;

    F inPan;  // scaled by the input's 0.2
    // The lowpass s + c (y - s) as k s + (1 - k) y, k = 1 - c: its state waits
    // on one multiply-add per sample. 1 - k is exact, so the gain at DC stays 1.
    F keepLowpass, takeLowpass;
    F decay, stiff, position;
    F h0, h1, h2, h3;
    F lowpass, allpass, last, follower;
    F t0, t1, t2;  // the three older taps slide along; each sample reads one new tap
    float* b[W];
    int32_t w[W];
    int32_t r[W];
    float* writeAt[W];        // contiguous chunks: b + w and b + r + 3, so each access
    const float* newestAt[W]; // is one load or store indexed by the sample
    int32_t first;
    F rise, fall;  // follower rates
    // Whole chunks: the taps of every lane from the oldest one on (3 + kMaxChunk
    // are read, rounded up to whole squares), and the chunk's writes.
    static constexpr int kWindow = (kMaxChunk + 3 + W - 1) / W * W;
    F window[Access == kWholeChunk ? kWindow : 1];
    F writtenTaps[Access == kWholeChunk ? kMaxChunk : 1];

    void load(const CombLanes& lanes, int32_t firstLane)
    {
        constexpr int32_t M = kCombBufferMask;
        first = firstLane;
        inPan = 0.2f * combkernel::load<W>(lanes.inPan + first);
        keepLowpass = 1.f - combkernel::load<W>(lanes.lowpassGain + first) * combkernel::load<W>(lanes.bright + first);
        takeLowpass = 1.f - keepLowpass;
        decay = combkernel::load<W>(lanes.decay + first);
        stiff = combkernel::load<W>(lanes.stiff + first);
        position = combkernel::load<W>(lanes.position + first);
        h0 = combkernel::load<W>(lanes.weight[0] + first);
        h1 = combkernel::load<W>(lanes.weight[1] + first);
        h2 = combkernel::load<W>(lanes.weight[2] + first);
        h3 = combkernel::load<W>(lanes.weight[3] + first);
        lowpass = combkernel::load<W>(lanes.lowpass + first);
        allpass = combkernel::load<W>(lanes.allpass + first);
        last = combkernel::load<W>(lanes.last + first);
        follower = combkernel::load<W>(lanes.follower + first);
        if constexpr (Access == kWholeChunk) {
            // The window runs past the taps the chunk reads by at most W - 1
            // samples, into the row's spare floats (kCombRowStride).
            static_assert(kCombRowStride - kCombBufferSize >= kWindow - kMaxChunk - 3);
            for (int j = 0; j < W; ++j) {
                const float* line = lanes.buffer[first + j];
                writeAt[j] = const_cast<float*>(line) + lanes.writeIndex[first + j];
                const float* oldest = line + lanes.readIndex[first + j];
                for (int s = 0; s < kWindow; s += W)
                    window[s + j] = combkernel::load<W>(oldest + s);
                // The lane's next chunk comes after every other group's: fetch its
                // lines now, from the many streams no hardware prefetcher follows.
                __builtin_prefetch(oldest + kMaxChunk + kWindow - 1);
                __builtin_prefetch(writeAt[j] + 2 * kMaxChunk - 1, 1);
            }
            for (int s = 0; s < kWindow; s += W)
                transposeSquare<W>(window + s);
            t0 = window[0];
            t1 = window[1];
            t2 = window[2];
            return;
        }
        float taps[3][W];
        for (int j = 0; j < W; ++j) {
            b[j] = lanes.buffer[first + j];
            w[j] = lanes.writeIndex[first + j];
            r[j] = lanes.readIndex[first + j];
            taps[0][j] = b[j][r[j]];
            taps[1][j] = b[j][(r[j] + 1) & M];
            taps[2][j] = b[j][(r[j] + 2) & M];
        }
        t0 = combkernel::load<W>(taps[0]);
        t1 = combkernel::load<W>(taps[1]);
        t2 = combkernel::load<W>(taps[2]);
        for (int j = 0; j < W; ++j) {
            writeAt[j] = b[j] + w[j];
            newestAt[j] = b[j] + r[j] + 3;
        }
    }

    void setFollowerRates(float riseRate, float fallRate)
    {
        rise = splat<W>(riseRate);
        fall = splat<W>(fallRate);
    }

    // Writes this sample's loop input x and reads the newest tap, lane by lane.
    F exchangeTaps(F x, int32_t k)
    {
        constexpr int32_t M = kCombBufferMask;
        float written[W];
        float newest[W];
        combkernel::store<W>(written, x);
        if constexpr (Contiguous) {
            for (int j = 0; j < W; ++j) {
                writeAt[j][k] = written[j];
                newest[j] = newestAt[j][k];
            }
        } else {
            for (int j = 0; j < W; ++j) {
                b[j][w[j]] = written[j];
                newest[j] = b[j][(r[j] + 3) & M];
                w[j] = (w[j] + 1) & M;
                r[j] = (r[j] + 1) & M;
            }
        }
        return combkernel::load<W>(newest);
    }

    // One sample; gives this group's outputs, which addToMixes pans. The
    // inputs are the chunk's signals (floats, spread here) or SpreadInputs.
    // What one sample hands the next: the lowpass and allpass states, each one
    // multiply-add long, and the follower's, a subtraction and a multiply-add.
    template <typename Inputs>
    F step(const Inputs& inputs, const CombLanes& lanes, int32_t k)
    {
        // The input with the anti-denormal offset the loop adds to it.
        const F excitation = multiplyAdd<W>(inPan, spread<W>(inputs.side[k]), spread<W>(inputs.centre[k]));
        lowpass = multiplyAdd<W>(keepLowpass, lowpass,
                                 multiplyAdd<W>(takeLowpass, last, spread<W>(inputs.feedbackOffset[k])));
        F loop = lowpass * decay;
        if constexpr (Variant != kPlainLoop) {
            const F ws = multiplyAdd<W>(stiff, allpass, loop);
            loop = multiplySubtract<W>(stiff, ws, allpass);
            allpass = ws;
        }
        const F x = loop + excitation;
        // The newest tap trails the write position by at least 2 samples (delayLength >= 5).
        F t3;
        if constexpr (Access == kWholeChunk) {
            writtenTaps[k] = x;
            t3 = window[k + 3];
        } else {
            t3 = exchangeTaps(x, k);
        }
        const F y = multiplyAdd<W>(t3, h0, multiplyAdd<W>(t2, h1, multiplyAdd<W>(t1, h2, t0 * h3)));
        t0 = t1;
        t1 = t2;
        t2 = t3;
        last = y;

        const F v = combkernel::load<W>(lanes.gain[k] + first) * y;
        if constexpr (Variant == kTensionLoop) {
            // Fast rise, slow fall: the follower moves toward |v| by the rate
            // of its direction, one multiply-add from sample to sample.
            const F magnitude = reinterpret_cast<F>(reinterpret_cast<I>(v) & 0x7FFFFFFF);
            const F rate = magnitude > follower ? rise : fall;
            follower = multiplyAdd<W>(rate, magnitude - follower, follower);
        }
        return v;
    }

    void save(CombLanes& lanes, int32_t n)
    {
        if constexpr (Access == kWholeChunk) {
            for (int s = 0; s < kMaxChunk; s += W) {
                transposeSquare<W>(writtenTaps + s);
                for (int j = 0; j < W; ++j)
                    combkernel::store<W>(writeAt[j] + s, writtenTaps[s + j]);
            }
        }
        combkernel::store<W>(lanes.lowpass + first, lowpass);
        combkernel::store<W>(lanes.allpass + first, allpass);
        combkernel::store<W>(lanes.last + first, last);
        combkernel::store<W>(lanes.follower + first, follower);
        if constexpr (Contiguous) {
            const I write = lanevectors::load<I>(lanes.writeIndex + first);
            const I read = lanevectors::load<I>(lanes.readIndex + first);
            lanevectors::store(lanes.writeIndex + first, (write + n) & kCombBufferMask);
            lanevectors::store(lanes.readIndex + first, (read + n) & kCombBufferMask);
        } else {
            for (int j = 0; j < W; ++j) {
                lanes.writeIndex[first + j] = w[j];
                lanes.readIndex[first + j] = r[j];
            }
        }
    }
};

// The lanes of one span: eight as one 8-wide group or two 4-wide ones (the
// second over the chunk after the first), or sixteen as one 16-wide group.
// Either way each partial sum of a sample's mix gets its lanes in their order.
template <int Variant, int W, int Access, typename Inputs>
void runSpan(CombLanes& lanes, ChunkSignals& signals, const Inputs& inputs, const TensionRates& tension,
             int32_t first, int32_t n)
{
    constexpr int kGroups = W < kLaneGroupWidth ? kLaneGroupWidth / W : 1;
    for (int q = 0; q < kGroups; ++q) {
        LaneGroup<Variant, W, Access> g;
        g.load(lanes, first + q * W);
        g.setFollowerRates(tension.rise, tension.fall);
        for (int32_t k = 0; k < n; ++k)
            addToMixes<W>(signals.mix[k], g.first, g.position, g.step(inputs, lanes, k));
        g.save(lanes, n);
    }
}

// Two spans of W and V lanes, both reading whole chunks, over the chunk side
// by side: the second's chains fill the units while the first's wait. Each
// sample's mix still gets the first span's lanes, then the second's.
template <int Variant, int W, int V, typename Inputs>
void runSpansSideBySide(CombLanes& lanes, ChunkSignals& signals, const Inputs& inputs, const TensionRates& tension,
                        int32_t first, int32_t n)
{
    LaneGroup<Variant, W, kWholeChunk> a;
    LaneGroup<Variant, V, kWholeChunk> b;
    a.load(lanes, first);
    b.load(lanes, first + W);
    a.setFollowerRates(tension.rise, tension.fall);
    b.setFollowerRates(tension.rise, tension.fall);
    for (int32_t k = 0; k < n; ++k) {
        const typename Vec<W>::Floats outA = a.step(inputs, lanes, k);
        const typename Vec<V>::Floats outB = b.step(inputs, lanes, k);
        addToMixes<W>(signals.mix[k], a.first, a.position, outA);
        addToMixes<V>(signals.mix[k], b.first, b.position, outB);
    }
    a.save(lanes, n);
    b.save(lanes, n);
}

// How the span of kSpan lanes from `first` can reach its delay lines over n samples.
template <int W>
LineAccess accessOfSpan(const CombLanes& lanes, int32_t first, int32_t n)
{
    constexpr int kSpan = W < kLaneGroupWidth ? kLaneGroupWidth : W;
    // The newest tap reads up to readIndex + 3 + n - 1. Lane-wise tests, W lanes at a time.
    typedef typename Vec<W>::Ints I;
    I wraps{};
    I close{};
    for (int j = first; j < first + kSpan; j += W) {
        const I write = lanevectors::load<I>(lanes.writeIndex + j);
        const I read = lanevectors::load<I>(lanes.readIndex + j);
        wraps |= (write > kCombBufferSize - n) | (read > kCombBufferSize - n - 3);
        close |= ((write - read) & kCombBufferMask) < n + 3;
    }
    if (lanevectors::anyLane(wraps))
        return kWrapping;
    return n == kMaxChunk && !lanevectors::anyLane(close) ? kWholeChunk : kContiguous;
}

template <int Variant, int W, typename Inputs>
void runSpanAt(CombLanes& lanes, ChunkSignals& signals, const Inputs& inputs, const TensionRates& tension,
               int32_t first, int32_t n, LineAccess access)
{
    if (access == kWholeChunk)
        runSpan<Variant, W, kWholeChunk>(lanes, signals, inputs, tension, first, n);
    else if (access == kContiguous)
        runSpan<Variant, W, kContiguous>(lanes, signals, inputs, tension, first, n);
    else
        runSpan<Variant, W, kWrapping>(lanes, signals, inputs, tension, first, n);
}

template <int Variant, int W, typename Inputs>
void runGroups(CombLanes& lanes, ChunkSignals& signals, const Inputs& inputs, const TensionRates& tension, int32_t n)
{
    constexpr int kSpan = W < kLaneGroupWidth ? kLaneGroupWidth : W;
    if constexpr (kSpan > kLaneGroupWidth) {
        // Sixteen lanes: spans two by two, and a last span of sixteen beside the
        // closing eight (lanes come in whole groups of eight).
        for (int32_t first = 0; first < lanes.count;) {
            const int32_t left = lanes.count - first;
            const int32_t width = left >= kSpan ? kSpan : kLaneGroupWidth;
            const int32_t next = left - width >= kSpan ? kSpan : left - width;
            const LineAccess access = width == kSpan ? accessOfSpan<kSpan>(lanes, first, n)
                                                     : accessOfSpan<kLaneGroupWidth>(lanes, first, n);
            const LineAccess nextAccess = next == kSpan            ? accessOfSpan<kSpan>(lanes, first + width, n)
                                          : next == kLaneGroupWidth ? accessOfSpan<kLaneGroupWidth>(lanes, first + width, n)
                                                                    : kWrapping;
            if (access == kWholeChunk && nextAccess == kWholeChunk && next == kSpan) {
                runSpansSideBySide<Variant, kSpan, kSpan>(lanes, signals, inputs, tension, first, n);
                first += 2 * kSpan;
            } else if (access == kWholeChunk && nextAccess == kWholeChunk && width == kSpan) {
                runSpansSideBySide<Variant, kSpan, kLaneGroupWidth>(lanes, signals, inputs, tension, first, n);
                first += kSpan + kLaneGroupWidth;
            } else if (width == kSpan) {
                runSpanAt<Variant, kSpan>(lanes, signals, inputs, tension, first, n, access);
                first += kSpan;
            } else {
                runSpanAt<Variant, kLaneGroupWidth>(lanes, signals, inputs, tension, first, n, access);
                first += kLaneGroupWidth;
            }
        }
    } else {
        for (int32_t first = 0; first + kSpan <= lanes.count; first += kSpan)
            runSpanAt<Variant, W>(lanes, signals, inputs, tension, first, n, accessOfSpan<W>(lanes, first, n));
    }
}

template <int Variant, int W>
void runGroups(CombLanes& lanes, ChunkSignals& signals, const TensionRates& tension, int32_t n)
{
    const ChunkInputs inputs(signals, n);
    if constexpr (W == 4)
        runGroups<Variant, W>(lanes, signals, SpreadInputs<W>(inputs, n), tension, n);
    else
        runGroups<Variant, W>(lanes, signals, inputs, tension, n);
}

template <int W>
void run(LoopVariant variant, CombLanes& lanes, ChunkSignals& signals, const TensionRates& tension, int32_t n)
{
    switch (variant) {
    case kPlainLoop:
        runGroups<kPlainLoop, W>(lanes, signals, tension, n);
        break;
    case kStiffLoop:
        runGroups<kStiffLoop, W>(lanes, signals, tension, n);
        break;
    default:
        runGroups<kTensionLoop, W>(lanes, signals, tension, n);
        break;
    }
}

}  // namespace combkernel
}  // namespace
