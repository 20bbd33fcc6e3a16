// A stereo-linked RMS limiter: one mean-square envelope for the pair, gain
// reduction above a threshold in dB with a fixed ratio, then a make-up gain.
#pragma once

#include "engine/FastMath.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

class LevelCompressor {
    typedef float Lanes __attribute__((vector_size(16)));

public:
    // Scales both samples in place.
    void process(float& left, float& right)
    {
        envelope = follow(Lanes{envelope}, (left * left + right * right) * 0.5f)[0];
        if (thresholdDb != quietFor)
            findQuietEnvelope();
        const float total = gainAt(envelope);
        left *= total;
        right *= total;
    }

    // Steps the envelope over the mean squares of n sample pairs and writes
    // each sample's gain (make-up included) to gains. The level and its power
    // are computed only where the envelope passes the threshold; a chunk whose
    // mean squares all stay under it is known quiet before the envelope is
    // stepped, so its gains do not wait for that recursion.
    void processChunk(const float* meanSquares, float* gains, int32_t n)
    {
        if (thresholdDb != quietFor)
            findQuietEnvelope();
        Lanes e{envelope};
        if (staysQuiet(meanSquares, n)) {
            int32_t k = 0;
            for (; k + 4 <= n; k += 4)  // unrolled: the loop is all the chunk's work here
                e = follow(follow(follow(follow(e, meanSquares[k]), meanSquares[k + 1]), meanSquares[k + 2]),
                           meanSquares[k + 3]);
            for (; k < n; ++k)
                e = follow(e, meanSquares[k]);
            for (int32_t k = 0; k < n; ++k)
                gains[k] = makeUpGain;
            lastGain = 1.f;
        } else {
            for (int32_t k = 0; k < n; ++k) {
                e = follow(e, meanSquares[k]);
                gains[k] = gainAt(e[0]);
            }
        }
        envelope = e[0];
    }

    // The gain the last process() applied, without make-up (1 below the threshold).
    float getLastGain() const { return lastGain; }

    // Smoothing per sample: 0.5^(1 / half-life in samples). Defaults: 30 ms and 180 ms at 44.1 kHz.
    float attack = 0.99947622f;   // 0.5^(1/1323)
    float release = 0.99991268f;  // 0.5^(1/7938)
    float envelope = 0.f;         // mean square of the pair
    float sampleRate = 44100.f;
    float thresholdDb = -12.f;
    float ratio = 0.1f;
    float makeUpGain = 1.f;

private:
    // Fast rise, slow fall; both computed and one chosen by a mask (lane 0 of
    // a vector: a compare, no branch to mispredict on noise).
    Lanes follow(Lanes e, float power) const
    {
        const Lanes p{power};
        const Lanes rising = (e - p) * attack + p;
        const Lanes falling = release * e;  // falls toward 0, whatever the input
        return p > e ? rising : falling;
    }

    // The factor for a sample at this envelope: the make-up gain below the
    // threshold (levelDb rises with the envelope), else the reduction too.
    // quietBelow must belong to the threshold.
    float gainAt(float level)
    {
        if (level < quietBelow) {
            lastGain = 1.f;
            return makeUpGain;
        }
        double gain = 1.0;
        const double levelDb = levelDbOf(level);
        if (levelDb > thresholdDb)
            gain = fastPow10((levelDb - thresholdDb) * (1.0 - ratio) * -0.05);
        lastGain = static_cast<float>(gain);
        return static_cast<float>(gain * makeUpGain);
    }

    // Whether every envelope of the chunk stays below quietBelow. A rising
    // step ends at or below its mean square ((e - p) a <= 0 for e < p, a >= 0,
    // and rounding keeps p + that <= p), a falling one at or below the
    // envelope (0 <= release <= 1), and with a <= 1 neither goes below 0: so
    // the envelope never exceeds the larger of its start and the chunk's mean
    // squares. NaN anywhere answers no.
    bool staysQuiet(const float* meanSquares, int32_t n) const
    {
        if (!(attack >= 0.f && attack <= 1.f && release >= 0.f && release <= 1.f && envelope >= 0.f &&
              envelope < quietBelow))
            return false;
        typedef int32_t Masks __attribute__((vector_size(16)));
        Masks quiet{-1, -1, -1, -1};
        int32_t k = 0;
        for (; k + 4 <= n; k += 4) {
            Lanes squares;
            std::memcpy(&squares, meanSquares + k, sizeof(squares));
            quiet &= squares < quietBelow;
        }
        for (; k < n; ++k)
            quiet[0] &= meanSquares[k] < quietBelow ? -1 : 0;
        return (quiet[0] & quiet[1] & quiet[2] & quiet[3]) != 0;
    }

    // The level of a mean square: 20 log10(sqrt(x)) = 20 log10(2) log2(sqrt(x)), the
    // logarithm approximated. It never falls as x rises.
    static double levelDbOf(float meanSquare)
    {
        return static_cast<double>(fastLog2(std::sqrt(meanSquare))) * 0.301029995663981 * 20.0;
    }

    // The smallest mean square whose level is above the threshold, found over
    // the ordered bit patterns of non-negative floats (+inf when none is).
    void findQuietEnvelope()
    {
        uint32_t low = 0;             // levelDbOf(low) <= threshold, or low is the answer
        uint32_t high = 0x7F800000u;  // +inf
        if (!(levelDbOf(std::bit_cast<float>(high)) > thresholdDb)) {
            quietBelow = std::bit_cast<float>(high);
        } else {
            while (low < high) {
                const uint32_t middle = low + (high - low) / 2;
                if (levelDbOf(std::bit_cast<float>(middle)) > thresholdDb)
                    high = middle;
                else
                    low = middle + 1;
            }
            quietBelow = std::bit_cast<float>(low);
        }
        quietFor = thresholdDb;
    }

    float lastGain = 1.f;
    float quietBelow = 0.f;  // mean squares below this are under the threshold
    float quietFor = std::numeric_limits<float>::quiet_NaN();  // the threshold quietBelow belongs to
};
