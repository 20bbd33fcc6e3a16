// A plug-in instance driven through its descriptor inside the fuzzer's process.
#pragma once

#include "host/ResonatorPlugin.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace fuzzharness {

inline intptr_t hostCallback(AEffect*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    return opcode == audioMasterVersion ? 2400 : 0;
}

inline AEffect* createPlugin()
{
    auto* plugin = new ResonatorPlugin(hostCallback);
    AEffect* e = plugin->getAeffect();
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 44100.f);
    e->dispatcher(e, effSetBlockSize, 0, 64, nullptr, 0.f);
    e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.f);
    return e;
}

// Runs a few blocks of a short impulse and aborts on any non-finite sample.
inline void processAndCheck(AEffect* e, int blocks)
{
    float inL[64] = {}, inR[64] = {}, outL[64], outR[64];
    inL[0] = inR[0] = 1.f;
    float* inputs[2] = {inL, inR};
    float* outputs[2] = {outL, outR};
    for (int b = 0; b < blocks; ++b) {
        e->processReplacing(e, inputs, outputs, 64);
        for (int i = 0; i < 64; ++i)
            if (!std::isfinite(outL[i]) || !std::isfinite(outR[i]))
                std::abort();
        inL[0] = inR[0] = 0.f;
    }
}

// Every text the host can ask for must be terminated within its buffer.
inline void checkTexts(AEffect* e)
{
    char text[256];
    for (int32_t index = 0; index < 32; ++index) {
        std::memset(text, 'x', sizeof(text));
        e->dispatcher(e, effGetProgramNameIndexed, index, 0, text, 0.f);
        if (!std::memchr(text, 0, 24))
            std::abort();
    }
    std::memset(text, 'x', sizeof(text));
    e->dispatcher(e, effGetProgramName, 0, 0, text, 0.f);
    if (!std::memchr(text, 0, 24))
        std::abort();
    for (int32_t index = 0; index < 43; ++index) {
        std::memset(text, 'x', sizeof(text));
        e->dispatcher(e, effGetParamDisplay, index, 0, text, 0.f);
        if (!std::memchr(text, 0, 64))
            std::abort();
    }
}

}  // namespace fuzzharness
