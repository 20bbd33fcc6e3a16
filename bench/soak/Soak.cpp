// Soak run: renders a long stretch of audio as fast as possible with random
// automation, program changes and MIDI, and reports the cost per block, the
// worst block, non-finite samples and whether the cost creeps up over time
// (the sign of denormals or of state that grows).
//
//   soak [SECONDS_OF_AUDIO=3600] [BLOCK=512] [RATE=44100]

#include "host/ResonatorPlugin.h"
#include "host/VstEventList.h"

#include <algorithm>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

intptr_t hostCallback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

// CPU time of this thread: other processes on the machine do not count against a block.
double threadCpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::printf("usage: soak [SECONDS] [BLOCK] [RATE]\n\n"
                    "Plays SECONDS of audio (default 3600) through the plug-in in BLOCK-frame blocks (default 512)\n"
                    "at RATE Hz (default 44100) with random automation, programs and MIDI, and reports the CPU\n"
                    "time per block, the worst block, the cost trend and any non-finite samples.\n");
        return 0;
    }
    const double seconds = argc > 1 ? std::atof(argv[1]) : 3600.0;
    const int32_t block = argc > 2 ? std::atoi(argv[2]) : 512;
    const float rate = argc > 3 ? static_cast<float>(std::atof(argv[3])) : 44100.f;
    if (seconds <= 0 || block <= 0 || rate <= 0) {
        std::fprintf(stderr, "usage: soak [SECONDS] [BLOCK] [RATE]\n");
        return 2;
    }

    auto* plugin = new ResonatorPlugin(hostCallback);
    AEffect* e = plugin->getAeffect();
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, rate);
    e->dispatcher(e, effSetBlockSize, 0, block, nullptr, 0.f);
    e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.f);

    const auto blocks = static_cast<int64_t>(seconds * rate / block);
    std::vector<float> inL(static_cast<std::size_t>(block)), inR(inL.size()), outL(inL.size()), outR(inL.size());
    float* inputs[2] = {inL.data(), inR.data()};
    float* outputs[2] = {outL.data(), outR.data()};
    std::mt19937 rng(2026);
    std::uniform_real_distribution<float> unit(0.f, 1.f);
    std::normal_distribution<float> noise(0.f, 0.1f);

    std::vector<double> blockSeconds(static_cast<std::size_t>(blocks));
    int64_t nonFinite = 0;
    float peak = 0.f;
    const double blockDuration = block / static_cast<double>(rate);
    for (int64_t b = 0; b < blocks; ++b) {
        // Input: noise bursts a quarter of the time, silence otherwise (silence is where denormals hide).
        const bool burst = (b / 40) % 4 == 0;
        for (int32_t i = 0; i < block; ++i) {
            inL[static_cast<std::size_t>(i)] = burst ? noise(rng) : 0.f;
            inR[static_cast<std::size_t>(i)] = burst ? noise(rng) : 0.f;
        }
        if (rng() % 4 == 0)
            e->setParameter(e, static_cast<int32_t>(20 + rng() % 15), unit(rng));
        if (rng() % 2000 == 0)
            e->dispatcher(e, effSetProgram, 0, static_cast<intptr_t>(rng() % 5), nullptr, 0.f);
        if (rng() % 20 == 0) {
            VstEventList list{makeMidiEvent(static_cast<uint8_t>((rng() % 2 ? 0x90 : 0x80) | (rng() % 2)),
                                            static_cast<uint8_t>(24 + rng() % 72), static_cast<uint8_t>(1 + rng() % 127),
                                            static_cast<int32_t>(rng() % static_cast<uint32_t>(block)))};
            e->dispatcher(e, effProcessEvents, 0, 0, list.get(), 0.f);
        }

        const double start = threadCpuSeconds();
        e->processReplacing(e, inputs, outputs, block);
        blockSeconds[static_cast<std::size_t>(b)] = threadCpuSeconds() - start;

        for (int32_t i = 0; i < block; ++i) {
            const float l = outL[static_cast<std::size_t>(i)], r = outR[static_cast<std::size_t>(i)];
            if (!std::isfinite(l) || !std::isfinite(r))
                ++nonFinite;
            else
                peak = std::max({peak, std::fabs(l), std::fabs(r)});
        }
    }
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.f);

    double total = 0, worst = 0;
    int64_t worstBlock = 0;
    for (int64_t b = 0; b < blocks; ++b) {
        total += blockSeconds[static_cast<std::size_t>(b)];
        if (blockSeconds[static_cast<std::size_t>(b)] > worst) {
            worst = blockSeconds[static_cast<std::size_t>(b)];
            worstBlock = b;
        }
    }
    // Cost trend: mean of the first tenth against the last tenth.
    const int64_t tenth = std::max<int64_t>(1, blocks / 10);
    double first = 0, last = 0;
    for (int64_t b = 0; b < tenth; ++b) {
        first += blockSeconds[static_cast<std::size_t>(b)];
        last += blockSeconds[static_cast<std::size_t>(blocks - 1 - b)];
    }
    std::vector<double> sorted(blockSeconds);
    std::sort(sorted.begin(), sorted.end());
    const double p99 = sorted[static_cast<std::size_t>(static_cast<double>(sorted.size() - 1) * 0.99)];

    std::printf("soak: %.0f s of audio, %lld blocks of %d at %.0f Hz, rendered in %.1f s (%.0fx real time)\n", seconds,
                static_cast<long long>(blocks), block, static_cast<double>(rate), total, seconds / total);
    std::printf("cpu per block: mean %.1f us (%.2f%% of the block), 99th percentile %.1f us, worst %.1f us (block %lld, %.1f%%)\n",
                total / static_cast<double>(blocks) * 1e6, total / static_cast<double>(blocks) / blockDuration * 100, p99 * 1e6,
                worst * 1e6, static_cast<long long>(worstBlock), worst / blockDuration * 100);
    std::printf("trend: first tenth %.1f us per block, last tenth %.1f us (ratio %.3f)\n", first / static_cast<double>(tenth) * 1e6,
                last / static_cast<double>(tenth) * 1e6, last / first);
    std::printf("output: %lld non-finite samples, peak %.3f\n", static_cast<long long>(nonFinite), static_cast<double>(peak));
    return nonFinite == 0 ? 0 : 1;
}
