// Shared helpers of the conformance tests: test signals and output checks.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace conformance {

inline std::vector<float> noise(std::size_t frames, uint32_t seed, float amplitude = 0.5f)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> dist(-amplitude, amplitude);
    std::vector<float> v(frames);
    for (float& x : v)
        x = dist(rng);
    return v;
}

struct OutputCheck {
    std::size_t nonFinite = 0;
    std::size_t subnormal = 0;
    float peak = 0.f;

    void add(const float* samples, std::size_t count)
    {
        for (std::size_t i = 0; i < count; ++i) {
            const float x = samples[i];
            if (!std::isfinite(x))
                ++nonFinite;
            else if (std::fpclassify(x) == FP_SUBNORMAL)
                ++subnormal;
            else
                peak = std::max(peak, std::fabs(x));
        }
    }
};

// Generous bound: 88 resonators with feedback may ring loud, but never without limit.
constexpr float kOutputBound = 1000.f;

}  // namespace conformance
