// Arbitrary bytes as an impulse recording, analysed for a few resonators with
// arbitrary pitches and levels. The analysis must answer -1 with the
// estimates untouched, or finite settings for every resonator; never crash.
//
// Input: byte 0 picks the analysis window (8192, 2048 or 512 samples, frames
// a quarter window apart), byte 1 the number of resonators (1..8), then 3
// bytes per resonator (normFreq as 16 bits over 0..1.25, so some lie above
// the Nyquist frequency; a level byte, 32 and below meaning "off"), then the
// WAV file. The small windows reach many frames in a few kilobytes; inputs
// are capped at 48 KB so that a run of the full window stays near 20 frames.
#include "analysis/ImpulseAnalyser.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr std::size_t kMaxInputBytes = 48 * 1024;
constexpr int kMaxResonators = 8;
constexpr std::size_t kHeaderBytes = 2 + 3 * kMaxResonators;

// The settings the command applies; the refined pitch is not applied.
bool finite(const CombEstimate& e)
{
    return std::isfinite(e.level) && std::isfinite(e.decay) && std::isfinite(e.bright);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < kHeaderBytes || size > kMaxInputBytes)
        return 0;
    static const int windows[] = {8192, 2048, 512};
    const int window = windows[data[0] % 3];
    const int count = data[1] % kMaxResonators + 1;
    std::vector<CombEstimate> estimates(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        const uint8_t* p = data + 2 + 3 * k;
        const float normFreq = static_cast<float>((p[0] | p[1] << 8) / 65536.0 * 1.25);
        const float level = std::max(0.0f, (static_cast<float>(p[2]) - 32.0f) / 128.0f);  // Out is never negative
        estimates[static_cast<std::size_t>(k)] = {normFreq, normFreq > 0.0f ? 2.0f / normFreq : 44100.0f, level,
                                                  0.0f, 0.0f};
    }
    const std::vector<CombEstimate> before = estimates;

    static const std::string path = "/tmp/tovarine-fuzz-analysis-" + std::to_string(getpid()) + ".wav";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data + kHeaderBytes, 1, size - kHeaderBytes, f);
    std::fclose(f);

    ImpulseAnalyser analyser;
    analyser.open(path.c_str());
    const int status = analyser.analyse(window, window - window / 4, count, estimates.data());
    if (status != 0) {
        if (status != -1 || std::memcmp(before.data(), estimates.data(), sizeof(CombEstimate) * before.size()) != 0)
            std::abort();  // a refusal must leave every estimate as it was
        return 0;
    }
    for (const CombEstimate& e : estimates) {
        // The command takes all results or none: one non-finite value would
        // turn every file like this one into a refusal.
        if (!finite(e) || e.level < 0.0f || e.decay < 0.0f || e.bright < 0.0f || e.bright > 1.0f)
            std::abort();
    }
    if (!analyser.samples.empty())
        std::abort();
    return 0;
}
